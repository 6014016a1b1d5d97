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

TUploadPath::TUploadPath(const QString& root)
    : Root(root), RealRoot(QFileInfo(SystemPath(root)).canonicalFilePath()) {}

QString TUploadPath::LocalFile(const QString& path) const {
  if (RealRoot.isEmpty() || !IsPlain(path)) return QString();
  const QString file = SystemPath(Root + path);
  const QString real = QFileInfo(file).canonicalFilePath();
  return !real.isEmpty() && real.startsWith(RealRoot + u'/') ? file : QString();
}
