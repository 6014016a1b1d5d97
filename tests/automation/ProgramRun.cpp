#include "ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TProgramFolder::TProgramFolder() {
  for (const char* folder : {"config", "state", "data", "runtime"}) QDir().mkpath(Path(QLatin1String(folder)));
  QFile::setPermissions(Path(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TProgramFolder::Write(const QString& relative, const QByteArray& bytes) const {
  QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
  QFile file(Path(relative));
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QByteArray TProgramFolder::Read(const QString& relative) const {
  QFile file(Path(relative));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TProgramFolder::Exists(const QString& relative) const { return QFileInfo::exists(Path(relative)); }

QProcessEnvironment TProgramFolder::Environment() const {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
  environment.insert(QStringLiteral("XDG_STATE_HOME"), Path(QStringLiteral("state")));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("DISPLAY"));
  return environment;
}

void TProgramFolder::Start(QProcess& process, const QStringList& args) const {
  process.setProcessEnvironment(Environment());
  process.setWorkingDirectory(Dir.path());
  process.start(QStringLiteral(INKLOOM_PROGRAM), args);
}

TProgramResult TProgramFolder::Run(const QStringList& args) const {
  QProcess process;
  Start(process, args);
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

TProgramResult TProgramFolder::RunScript(const QByteArray& script, const QStringList& more, const QString& name) const {
  Write(name, script);
  return Run(QStringList{QStringLiteral("--run-script"), name} + more);
}
