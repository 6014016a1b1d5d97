#include "generator/WrittenList.h"

#include "generator/FolderWriter.h"
#include "generator/MiscUtils.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A record larger than any site's is not one of ours: it removes nothing.
constexpr qint64 kMaxRecordBytes = qint64(64) << 20;

// Only names this program writes: relative, "/"-separated, without "." or ".." parts.
bool PlainName(const std::string& name) {
  std::string normalized;
  return NormalizeRelativePath(name, normalized) && normalized == name;
}

bool IsKind(const QString& path, mode_t kind) {
  struct stat info {};
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

}  // namespace

TWrittenList::TWrittenList(QString folder) : FolderPath(std::move(folder)) { Read(); }

void TWrittenList::Read() {
  const QString path = FolderPath + '/' + QLatin1String(kFileName);
  // Only the plain file a build wrote: a FIFO would wait for ever, a link to /dev/zero never end.
  QFile file(path);
  if (!IsKind(path, S_IFREG) || !file.open(QIODevice::ReadOnly) || file.size() > kMaxRecordBytes) return;
  const QByteArray bytes = file.read(kMaxRecordBytes);
  std::string_view text(bytes.constData(), static_cast<size_t>(bytes.size()));
  TCursor cursor(text);
  std::string_view line;
  while (ReadLine(cursor, line)) {
    std::string name(line);
    if (PlainName(name) && Previous.insert(name).second) PreviousOrder.push_back(name);
  }
}

void TWrittenList::Add(const std::string& relative) {
  if (CurrentSet.insert(relative).second) Current.push_back(relative);
}

void TWrittenList::Finish(bool complete, const std::function<bool(const QString&)>& keep) {
  std::vector<std::string> record = Current;
  for (const std::string& name : PreviousOrder) {
    if (CurrentSet.count(name)) continue;
    const QString file = OwnFile(name);
    if (complete && !file.isEmpty() && !keep(file) && ::unlink(QFile::encodeName(file).constData()) == 0)
      continue;
    if (!complete) record.push_back(name);  // still ours: the next complete build removes it
  }
  if (!record.empty() || !PreviousOrder.empty()) Save(record);
}

void TWrittenList::Save(const std::vector<std::string>& names) const {
  std::string text;
  for (const std::string& name : names) text += name + '\n';
  TFolderWriter(FolderPath).Write(kFileName, text);
}

QString TWrittenList::OwnFile(const std::string& relative) const {
  QString path = FolderPath;
  const QStringList parts = QString::fromStdString(relative).split(u'/');
  for (qsizetype i = 0; i < parts.size(); ++i) {
    path += u'/' + parts[i];
    if (!IsKind(path, i + 1 < parts.size() ? S_IFDIR : S_IFREG)) return QString();
  }
  return path;
}
