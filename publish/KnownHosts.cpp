#include "publish/KnownHosts.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

// Whether the file is missing, empty or ends with a line break: a line added then starts a line.
bool EndsWithLineBreak(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file || file.tellg() <= 0) return true;
  file.seekg(-1, std::ios::end);
  return file.get() == '\n';
}

}  // namespace

std::string TKnownHosts::Folder() {
  return HomeFolder() + "/.ssh";
}

std::string TKnownHosts::Path() {
  return Folder() + "/known_hosts";
}

bool TKnownHosts::Add(const std::string& entry, std::string& why) {
  if (::mkdir(Folder().c_str(), 0700) != 0 && errno != EEXIST) {
    why = std::strerror(errno);
    return false;
  }
  const bool separate = !EndsWithLineBreak(Path());
  std::ofstream file(Path(), std::ios::binary | std::ios::app);
  file << (separate ? "\n" : "") << entry << '\n';
  file.flush();
  if (file) return true;
  why = std::strerror(errno);
  return false;
}
