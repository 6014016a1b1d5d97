#include "SSHTestServer.h"

#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "FTPTestServer.h"
#include "Shell.h"

extern char** environ;

namespace {

// The processes below pid, by their parents in /proc.
std::set<pid_t> Descendants(pid_t pid) {
  std::set<pid_t> found = {pid};
  for (size_t before = 0; before != found.size();) {
    before = found.size();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string line;
      if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
      std::istringstream rest(line.substr(line.rfind(')') + 2));
      char state;
      pid_t parent = 0;
      rest >> state >> parent;
      if (found.count(parent)) found.insert(std::stoi(entry.path().filename().string()));
    }
  }
  return found;
}

}  // namespace

TSSHTestServer::TSSHTestServer() : PortText(TFTPTestServer::UnusedPort()) {
  Configure();
  const std::string config = (Folder.Path() / "sshd_config").string();
  const std::string log = (Folder.Path() / "sshd.log").string();
  std::vector<std::string> arguments = {"/usr/sbin/sshd", "-D", "-f", config, "-E", log};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  if (posix_spawn(&Process, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start /usr/sbin/sshd");
  WaitForPort();
}

TSSHTestServer::~TSSHTestServer() {
  Kill();
}

std::string TSSHTestServer::UserName() {
  const passwd* user = getpwuid(getuid());
  return user ? user->pw_name : "root";
}

// sshd run by root wants its privilege separation folder and keys only its owner reads.
void TSSHTestServer::Configure() {
  if (getuid() == 0) std::filesystem::create_directories("/run/sshd");
  const std::string folder = Folder.Path().string();
  Folder.Write("home/.ssh/known_hosts", "");
  RunShell("cd '" + folder +
           "' && ssh-keygen -q -t ed25519 -N '' -C host -f host_key && "
           "ssh-keygen -q -t ed25519 -N '' -C other -f other_key && "
           "ssh-keygen -q -t ed25519 -N '' -C user -f home/.ssh/id_ed25519 && "
           "cp home/.ssh/id_ed25519.pub authorized_keys");
  Folder.Write("sshd_config", "Port " + PortText + "\nListenAddress 127.0.0.1\n" + "HostKey " +
                                  folder + "/host_key\n" + "PidFile " + folder + "/sshd.pid\n" +
                                  "AuthorizedKeysFile " + folder + "/authorized_keys\n" +
                                  "StrictModes no\nUsePAM no\nLogLevel VERBOSE\n" +
                                  "Subsystem sftp internal-sftp\n");
}

// sshd writes its pid file once it listens.
void TSSHTestServer::WaitForPort() const {
  for (int i = 0; i < 200 && waitpid(Process, nullptr, WNOHANG) == 0; ++i) {
    if (Folder.Exists("sshd.pid")) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  throw std::runtime_error("sshd did not start: " + Folder.Read("sshd.log"));
}

std::string TSSHTestServer::HostKeyFingerprint() const {
  std::istringstream line(
      RunShell("ssh-keygen -l -f '" + Folder.Path().string() + "/host_key.pub'"));
  std::string bits, fingerprint;
  line >> bits >> fingerprint;
  return fingerprint;
}

std::string TSSHTestServer::ForeignKeyLine() const {
  std::string key = Folder.Read("other_key.pub");
  return "[127.0.0.1]:" + PortText + " " + key.substr(0, key.find('\n'));
}

bool TSSHTestServer::LogInTried() const {
  const std::string log = Folder.Read("sshd.log");
  return log.find("Accepted ") != std::string::npos || log.find("Failed ") != std::string::npos;
}

void TSSHTestServer::Freeze(bool frozen) {
  if (Process <= 0) return;
  for (pid_t pid : Descendants(Process)) kill(pid, frozen ? SIGSTOP : SIGCONT);
}

void TSSHTestServer::Kill() {
  if (Process <= 0) return;
  for (pid_t pid : Descendants(Process)) kill(pid, SIGKILL);
  waitpid(Process, nullptr, 0);
  Process = -1;
}
