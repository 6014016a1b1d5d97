#include "publish/UploadPlan.h"

#include "generator/MiscUtils.h"
#include "publish/UploadPath.h"
#include "publish/UploadRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString SystemPath(const QString& path) {
  return FileSystemPath(path.toUtf8().toStdString());
}

}  // namespace

TUploadPlan::TUploadPlan(const QString& localRoot, const QStringList& record, bool changesOnly)
    : LocalRoot(localRoot), Record(record), ChangesOnly(changesOnly) {}

QString TUploadPlan::FileDigest(const QString& fileName, qint64* size) {
  QCryptographicHash hash(QCryptographicHash::Md5);
  QFile file(fileName);
  qint64 read = 0;
  if (file.open(QIODevice::ReadOnly)) {
    hash.addData(&file);
    read = file.pos();
  }
  if (size) *size = read;
  return QString::fromLatin1(hash.result().toHex());
}

qint64 TUploadPlan::TotalSize() const {
  qint64 total = 0;
  for (const TFile& file : Kept) total += file.Size;
  return total;
}

bool TUploadPlan::Make(const std::atomic<bool>* cancelled, const std::function<void()>& onKept) {
  Cancelled = cancelled;
  OnKept = onKept;
  Kept.clear();
  Unchanged = 0;
  Present.clear();
  LocalPaths = TUploadPath(LocalRoot);
  if (!Walk(SystemPath(LocalRoot), QString())) return false;
  ListRemoved();
  return true;
}

void TUploadPlan::ListRemoved() {
  Gone.clear();
  for (const QString& path : TUploadRecord::Names(Record))
    if (TUploadPath::IsPlain(path) && !Present.contains(TUploadRecord::Key(path))) Gone.append(path);
}

bool TUploadPlan::Walk(const QString& folder, const QString& prefix) {
  // Hidden entries (names beginning with ".") and special files are not listed.
  const QFileInfoList entries = QDir(folder).entryInfoList(
      QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir()) {
      // A link to a folder is not followed: it could lead back up.
      if (!entry.isSymLink() && !Walk(entry.filePath(), prefix + entry.fileName() + u'\\'))
        return false;
      continue;
    }
    if (Cancelled && *Cancelled) return false;
    Present.insert(TUploadRecord::Key(prefix + entry.fileName()));
    // A "\" in a name would read as a folder of the record: such a file is not sent.
    if (!entry.fileName().contains(u'\\')) Select(prefix + entry.fileName());
  }
  return true;
}

// A file whose real place lies outside the output folder (a link leading out) is not sent.
void TUploadPlan::Select(const QString& path) {
  const QString local = LocalPaths.LocalFile(path);
  if (local.isEmpty()) return;
  TFile file{path, QString(), 0};
  file.Digest = FileDigest(local, &file.Size);
  if (ChangesOnly && TUploadRecord(Record).Digest(path) == file.Digest) {
    ++Unchanged;
    return;
  }
  Kept.push_back(file);
  if (OnKept) OnKept();
}
