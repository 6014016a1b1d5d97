#include "app/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The build tree holds everything beside the program; an installation keeps bin/ and
// libexec/inkloom/ apart from share/.
constexpr const char* kUp[] = {"", "../", "../../"};

QString FirstExisting(const QString& relative, bool folder) {
  const QDir programFolder(QCoreApplication::applicationDirPath());
  for (const char* up : kUp) {
    const QFileInfo candidate(programFolder.absoluteFilePath(QLatin1String(up) + relative));
    if (folder ? candidate.isDir() : candidate.isExecutable()) return QDir::cleanPath(candidate.absoluteFilePath());
  }
  return QString();
}

}  // namespace

QString TProgramFiles::DataFolder(const QString& name) {
  const QString relative = QStringLiteral("share/inkloom/") + name;
  const QString found = FirstExisting(relative, true);
  if (!found.isEmpty()) return found + u'/';
  return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../") + relative)) + u'/';
}

QString TProgramFiles::WindowsProgram() {
  const QString beside = FirstExisting(QStringLiteral("inkloom-windows"), false);
  return beside.isEmpty() ? FirstExisting(QStringLiteral("libexec/inkloom/inkloom-windows"), false) : beside;
}
