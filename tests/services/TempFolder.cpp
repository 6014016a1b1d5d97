#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TTempFolder::TTempFolder()
    : OldConfigHome(qgetenv("XDG_CONFIG_HOME")), HadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path(QStringLiteral("config"))));
}

TTempFolder::~TTempFolder() {
  if (HadConfigHome)
    qputenv("XDG_CONFIG_HOME", OldConfigHome);
  else
    qunsetenv("XDG_CONFIG_HOME");
}

QString TTempFolder::Path(const QString& relative) const {
  return relative.isEmpty() ? Dir.path() : Dir.filePath(relative);
}

QByteArray TTempFolder::Read(const QString& relative) const {
  QFile file(Path(relative));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TTempFolder::Write(const QString& relative, const QByteArray& bytes) const {
  const QString path = Path(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}
