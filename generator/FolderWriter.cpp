#include "generator/FolderWriter.h"

#include "generator/MiscUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Closes a descriptor when it goes out of scope.
struct TDescriptor {
  int Fd;
  ~TDescriptor() {
    if (Fd >= 0) ::close(Fd);
  }
};

// The file name in folder, new: no link is followed and nothing is replaced.
bool CreateFile(int folder, const char* name, std::string_view bytes) {
  const int fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

// An existing plain file of one name is compared and rewritten in place (most pages of a site
// are the same from one build to the next). -1: there is none, or something that has to go
// first (a link, a file with other names); 0: it cannot be written.
int RewriteFile(int folder, const char* name, std::string_view bytes) {
  const int fd = ::openat(folder, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP || errno == ENOENT ? -1 : 0;
  TDescriptor owner{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  if (HoldsBytes(fd, info, bytes)) return 1;
  if (info.st_nlink > 1) return -1;
  return (info.st_size == 0 || ::ftruncate(fd, 0) == 0) && WriteAll(fd, bytes) ? 1 : 0;
}

}  // namespace

TFolderWriter::TFolderWriter(const QString& folder) : Folder(QDir::cleanPath(folder)) {}

TFolderWriter::TResult TFolderWriter::Write(const std::string& relative, std::string_view bytes) const {
  TResult why = fwCannotWrite;
  TDescriptor parent{OpenParent(relative, why)};
  if (parent.Fd < 0) return why;
  const std::string name = relative.substr(relative.rfind('/') + 1);
  const int rewritten = RewriteFile(parent.Fd, name.c_str(), bytes);
  if (rewritten >= 0) return rewritten ? fwWritten : fwCannotWrite;
  if (::unlinkat(parent.Fd, name.c_str(), 0) != 0 && errno != ENOENT) return fwCannotWrite;
  return CreateFile(parent.Fd, name.c_str(), bytes) ? fwWritten : fwCannotWrite;
}

int TFolderWriter::OpenParent(const std::string& relative, TResult& why) const {
  if (!QDir().mkpath(Folder)) return -1;
  int fd = ::open(QFile::encodeName(Folder).constData(), kFolderFlags);
  QString path = Folder;
  for (size_t start = 0, slash; fd >= 0 && (slash = relative.find('/', start)) != std::string::npos;
       start = slash + 1) {
    const std::string name = relative.substr(start, slash - start);
    path += u'/' + QString::fromStdString(name);
    const int next = OpenSubfolder(fd, path, name, why);
    ::close(fd);
    fd = next;
  }
  return fd;
}

// A real folder, made when missing, or a link to a folder inside the output folder.
int TFolderWriter::OpenSubfolder(int parent, const QString& path, const std::string& name,
                                 TResult& why) const {
  int fd = ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
  if (fd < 0 && errno == ENOENT && ::mkdirat(parent, name.c_str(), 0777) == 0)
    fd = ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
  struct stat info {};
  if (fd < 0 && ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
    return OpenLinkedFolder(path, why);
  return fd;
}

int TFolderWriter::OpenLinkedFolder(const QString& path, TResult& why) const {
  const QString target = RealPath(path);
  if (target.isEmpty() || !PathWithin(RealPath(Folder), target)) {
    why = fwLeadsOut;
    return -1;
  }
  return ::open(QFile::encodeName(target).constData(), kFolderFlags | O_NOFOLLOW);
}
