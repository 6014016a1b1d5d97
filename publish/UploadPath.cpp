#include "publish/UploadPath.h"

#include "generator/MiscUtils.h"

#include <QFileInfo>
#include <QStringList>

namespace {

bool IsPlainName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(u'/') && !name.contains(u':') && !name.contains(QChar(0));
}

QString SystemPath(const QString& path) { return FileSystemPath(path.toUtf8().toStdString()); }

}  // namespace

bool TUploadPath::IsPlain(const QString& path) {
  const QStringList names = path.split(u'\\');
  for (const QString& name : names)
    if (!IsPlainName(name)) return false;
  return true;
}

QString TUploadPath::LocalFile(const QString& root, const QString& path) {
  if (!IsPlain(path)) return QString();
  const QString file = SystemPath(root + path);
  const QString real = QFileInfo(file).canonicalFilePath();
  const QString folder = QFileInfo(SystemPath(root)).canonicalFilePath();
  if (real.isEmpty() || folder.isEmpty() || !real.startsWith(folder + u'/')) return QString();
  return file;
}
