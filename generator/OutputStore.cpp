#include "generator/OutputStore.h"

#include "generator/FolderWriter.h"
#include "generator/MiscUtils.h"
#include "generator/OutputError.h"

#include <QDir>
#include <QFileInfo>

void TOutputStore::Start() {
  Restart();
  Folders.clear();
  WrittenFiles.clear();
}

// The records are read again: the first run never finished, so they are as it found them.
void TOutputStore::Restart() {
  Discard();
  Folders.clear();
  RealFolders.clear();
  Protected.clear();
  Guarded.clear();
}

void TOutputStore::Protect(const std::string& file) {
  const QString canonical = QFileInfo(FileSystemPath(file)).canonicalFilePath();
  if (!canonical.isEmpty()) Protected.insert(canonical);
}

void TOutputStore::Guard(const std::string& folder) {
  const QString canonical = QFileInfo(FileSystemPath(folder)).canonicalFilePath();
  if (!canonical.isEmpty()) Guarded.push_back(canonical + u'/');
}

// The entry itself, not what a link there leads to: writing replaces the link.
QString TOutputStore::EntryPath(const QString& path) const {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return QString();
  const QString folder = RealFolder(info.absolutePath());
  return folder.isEmpty() ? QString() : folder + u'/' + info.fileName();
}

// Found once a folder: the pages of a site share a few folders, and finding a real path reads
// every link on the way (ten system calls a page, the most of what writing a page costs).
QString TOutputStore::RealFolder(const QString& folder) const {
  auto found = RealFolders.constFind(folder);
  if (found != RealFolders.cend()) return *found;
  const QString real = QFileInfo(folder).canonicalFilePath();
  if (!real.isEmpty()) RealFolders.insert(folder, real);
  return real;
}

QString TOutputStore::FolderKey(const std::string& folder) {
  return QDir::cleanPath(QFileInfo(FileSystemPath(folder)).absoluteFilePath());
}

TWrittenList& TOutputStore::Use(const std::string& folder) {
  const QString key = FolderKey(folder);
  std::unique_ptr<TWrittenList>& list = Folders[key];
  if (!list) list = std::make_unique<TWrittenList>(key);
  return *list;
}

void TOutputStore::Put(const std::string& folder, const std::string& relative, std::string bytes,
                       const std::string& page, int line) {
  TWrittenList& list = Use(folder);
  const QString path = list.Folder() + u'/' + QString::fromStdString(relative);
  auto [at, added] = PendingIndex.emplace(path, Pending.size());
  if (added) Pending.push_back({path, &list, relative, std::string(), page, line});
  TPending& file = Pending[at->second];
  PendingBytes += bytes.size() - file.Bytes.size();
  file.Bytes = std::move(bytes);
  file.Page = page;
  file.Line = line;
  if (PendingBytes > kMaxWaitingBytes) Flush();
}

void TOutputStore::Flush() {
  std::vector<TPending> files;
  files.swap(Pending);
  Discard();
  for (const TPending& file : files) Write(file);
}

void TOutputStore::Discard() {
  Pending.clear();
  PendingIndex.clear();
  PendingBytes = 0;
}

void TOutputStore::Write(const TPending& file) {
  if (Refused(file)) throw EOutputError(EOutputError::oeRefused, file.Page, file.Line);
  if (TFolderWriter(file.Folder->Folder()).Write(file.Relative, file.Bytes) != TFolderWriter::fwWritten)
    throw EOutputError(EOutputError::oeCannotWrite, file.Page, file.Line);
  WrittenFiles.insert(EntryPath(file.Path));
  file.Folder->Add(file.Relative);
}

bool TOutputStore::Refused(const TPending& file) const {
  if (file.Relative == TWrittenList::kFileName) return true;
  const QString canonical = EntryPath(file.Path);
  if (canonical.isEmpty()) return false;
  if (Protected.count(canonical)) return true;  // whoever wrote it
  if (WrittenFiles.count(canonical) || file.Folder->WrittenBefore(file.Relative)) return false;
  return Kept(canonical);
}

// A protected file, or one in a theme folder.
bool TOutputStore::Kept(const QString& canonical) const {
  if (Protected.count(canonical)) return true;
  for (const QString& folder : Guarded)
    if (canonical.startsWith(folder)) return true;
  return false;
}

void TOutputStore::Copied(const std::string& folder, const std::string& relative) {
  TWrittenList& list = Use(folder);
  const QString canonical = QFileInfo(list.Folder() + u'/' + QString::fromStdString(relative)).canonicalFilePath();
  // A theme's own file copied onto itself (the theme is its output folder) stays the theme's.
  if (!canonical.isEmpty() && !Kept(canonical)) list.Add(relative);
}

void TOutputStore::Finish(bool complete) {
  for (auto& folder : Folders)
    folder.second->Finish(complete, [this](const QString& file) {
      return Protected.count(QFileInfo(file).canonicalFilePath()) > 0;
    });
}
