#include "preview/OutputFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

TOutputFolder::TOutputFolder(const QString& root) : RootPath(QDir::cleanPath(root)) {
  if (!RootPath.endsWith('/')) RootPath += '/';
}

QString TOutputFolder::FilePath(const QString& relative) const {
  if (relative.contains(QChar(0))) return QString();
  QStringList names;
  const QStringList parts = QString(relative).replace('\\', '/').split('/');
  for (const QString& part : parts) {
    if (part.isEmpty() || part == QLatin1String(".")) continue;
    if (part == QLatin1String("..")) {
      if (names.isEmpty()) return QString();
      names.removeLast();
      continue;
    }
    names << part;
  }
  return RootPath + names.join('/');
}

bool TOutputFolder::IsFile(const QString& filePath) const {
  if (filePath.isEmpty()) return false;
  const QFileInfo info(filePath);
  return info.isFile() && Inside(info);
}

bool TOutputFolder::IsFolder(const QString& filePath) const {
  if (filePath.isEmpty()) return false;
  const QFileInfo info(filePath);
  return info.isDir() && Inside(info);
}

// A link inside the folder must not lead to an entry outside it.
bool TOutputFolder::Inside(const QFileInfo& info) const {
  const QString canonicalRoot = QFileInfo(RootPath).canonicalFilePath();
  return !canonicalRoot.isEmpty() && info.canonicalFilePath().startsWith(canonicalRoot + '/');
}
