#include "app/BuildMode.h"

#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "services/ConfigFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

void PrintError(const std::string& message) {
  std::fputs((message + "\n").c_str(), stderr);
}

std::string GeneratorProblem(int code, int line) {
  std::string where = "Line " + std::to_string(line) + ": ";
  if (code == THTMLGenerator::geSectionWithoutBracket)
    return where + "the section header has no closing \"]\".";
  return where + "the directive sets a variable of a section that does not exist.";
}

}  // namespace

QString InstalledThemesFolder() {
  QDir programFolder(QCoreApplication::applicationDirPath());
  for (const char* relative : {"share/inkloom/themes", "../share/inkloom/themes"}) {
    QString candidate = programFolder.absoluteFilePath(QLatin1String(relative));
    if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate) + '/';
  }
  return QDir::cleanPath(programFolder.absoluteFilePath(QStringLiteral("../share/inkloom/themes"))) + '/';
}

QString ThemesFolderSetting() {
  TConfigFile config;
  config.SetFileName(QStringLiteral("Inkloom\\config.ini"));
  config.SetLocation(cflCommonAppData);
  try {
    config.Load();
  } catch (const EInkloomError& error) {
    PrintError(error.what());  // an unreadable settings file: the defaults serve
  }
  return config.ReadString(QStringLiteral("General"), QStringLiteral("DefaultThemesPath"),
                           InstalledThemesFolder());
}

int RunBuild(const QString& projectPath, const QString& themesFolder) {
  TProjectFileContents project;
  try {
    project = TProjectFile::Read(projectPath);
  } catch (const EInkloomError& error) {
    PrintError(error.what());
    return 2;
  }
  THTMLGenerator generator;
  generator.SetProjectFolder(QFileInfo(projectPath).absolutePath().toStdString());
  generator.SetThemesFolder(themesFolder.toStdString());
  // The generator works on UTF-8; the UTF-16 copy is not needed while it runs.
  QByteArray text = project.Text.toUtf8();
  project = TProjectFileContents();
  try {
    int result = generator.GenerateUtf8(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (result == THTMLGenerator::geSuccess) return 0;
    PrintError(GeneratorProblem(result, generator.ErrorLine()));
  } catch (const EInkloomError& error) {
    PrintError(error.what());  // a damaged theme archive entry
  }
  return 1;
}
