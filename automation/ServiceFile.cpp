#include "automation/ServiceFile.h"

#include "automation/AutomationServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

QString TServiceFile::Path() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/dbus-1/services/%1.service").arg(TAutomationServer::ServiceName());
}

QString TServiceFile::Contents(const QString& programPath) {
  return QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -automation\n")
      .arg(TAutomationServer::ServiceName(), ExecArgument(programPath));
}

bool TServiceFile::Register(const QString& programPath) {
  QDir().mkpath(QFileInfo(Path()).absolutePath());
  QSaveFile file(Path());
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(Contents(programPath).toUtf8());
  return file.commit();
}

bool TServiceFile::Unregister() { return !QFileInfo::exists(Path()) || QFile::remove(Path()); }

int TServiceFile::RunSwitch(int& argc, char** argv, bool registering) {
  QCoreApplication application(argc, argv);
  if (registering)
    Register(QCoreApplication::applicationFilePath());
  else
    Unregister();
  return 0;
}

// The bus splits the Exec line as a shell would; inside double quotes only these are special.
QString TServiceFile::ExecArgument(const QString& programPath) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
  if (plain.match(programPath).hasMatch()) return programPath;
  QString quoted;
  for (const QChar c : programPath) {
    if (QStringLiteral("\"\\$`").contains(c)) quoted += u'\\';
    quoted += c;
  }
  return u'"' + quoted + u'"';
}
