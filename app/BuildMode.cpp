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

bool GenerateProjectSite(THTMLGenerator& generator, const QString& projectPath,
                         QString projectText, const QString& themesFolder) {
  generator.SetProjectFolder(QFileInfo(projectPath).absolutePath().toStdString());
  generator.SetThemesFolder(themesFolder.toStdString());
  // The generator works on UTF-8; the UTF-16 copy is not needed while it runs.
  QByteArray text = projectText.toUtf8();
  projectText = QString();
  try {
    int result = generator.GenerateUtf8(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (result == THTMLGenerator::geSuccess) return true;
    PrintError(GeneratorProblem(result, generator.ErrorLine()));
  } catch (const EInkloomError& error) {
    PrintError(error.what());  // a damaged theme archive entry
  }
  return false;
}

int BuildProject(const QString& projectPath, const QString& themesFolder, THTMLGenerator& generator) {
  TProjectFileContents project;
  try {
    project = TProjectFile::Read(projectPath);
  } catch (const EInkloomError& error) {
    PrintError(error.what());
    return 2;
  }
  QString text = std::move(project.Text);
  project = TProjectFileContents();
  return GenerateProjectSite(generator, projectPath, std::move(text), themesFolder) ? 0 : 1;
}

int RunBuild(const QString& projectPath, const QString& themesFolder) {
  THTMLGenerator generator;
  return BuildProject(projectPath, themesFolder, generator);
}
