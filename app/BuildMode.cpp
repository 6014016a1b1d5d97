#include "app/BuildMode.h"

#include "app/ProgramFiles.h"

#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

void PrintError(const QString& message) {
  std::fputs((message + u'\n').toUtf8().constData(), stderr);
}

// "FILE:LINE: text" in the form the table gives (formKey: ProblemAt or WarningAt).
QString AtPlace(const TLocalStrings& strings, const char* formKey, const QString& file, int line,
                const QString& text) {
  return FormatText(strings.GetString(QLatin1String(formKey)), {file, QString::number(line), text});
}

void PrintWarnings(const TLocalStrings& strings, const THTMLGenerator& generator,
                   const QString& projectPath) {
  for (const QString& warning : GeneratorWarningReports(strings, generator, projectPath)) PrintError(warning);
}

// Runs the generation; the message of what stopped it, or empty after success.
QString RunGenerator(THTMLGenerator& generator, const QByteArray& text,
                     const TLocalStrings& strings, const QString& projectPath) {
  try {
    int result = generator.GenerateUtf8(std::string_view(text.constData(), size_t(text.size())));
    if (result == THTMLGenerator::geSuccess) return QString();
    return GeneratorProblemReport(strings, generator, result, projectPath);
  } catch (const EInkloomError& error) {
    return QString::fromUtf8(error.what());  // what the generator does not report as a result
  }
}

}  // namespace

QString InstalledThemesFolder() { return TProgramFiles::DataFolder(QStringLiteral("themes")); }

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

namespace {

// The text-table key of each result of a generation that stopped it.
struct TProblemKey {
  int Result;
  const char* Key;
};

constexpr TProblemKey kProblemKeys[] = {
    {THTMLGenerator::geSectionWithoutBracket, "SectionWithoutBracket"},
    {THTMLGenerator::geUnknownSection, "UnknownSection"},
    {THTMLGenerator::geCannotWrite, "CannotWrite"},
    {THTMLGenerator::geRefusedReplace, "RefusedReplace"},
    {THTMLGenerator::geDamagedArchive, "DamagedArchive"},
    {THTMLGenerator::geNotAnArchive, "NotAnArchive"},
    {THTMLGenerator::geExpansionTooLarge, "ExpansionTooLarge"},
};

// And of each warning.
struct TWarningKey {
  TGeneratorWarning::TKind Kind;
  const char* Key;
};

constexpr TWarningKey kWarningKeys[] = {
    {TGeneratorWarning::gwThemeNotFound, "ThemeNotFound"},
    {TGeneratorWarning::gwPageOutside, "PageOutside"},
    {TGeneratorWarning::gwSectionRepeated, "SectionRepeated"},
    {TGeneratorWarning::gwTemplateNotFound, "TemplateNotFound"},
    {TGeneratorWarning::gwThemeLinkSkipped, "ThemeLinkSkipped"},
    {TGeneratorWarning::gwThemeNameSkipped, "ThemeNameSkipped"},
};

QString WarningKey(TGeneratorWarning::TKind kind) {
  for (const TWarningKey& entry : kWarningKeys)
    if (entry.Kind == kind) return QLatin1String(entry.Key);
  return QString();
}

}  // namespace

QString GeneratorMessageKey(int result) {
  for (const TProblemKey& entry : kProblemKeys)
    if (entry.Result == result) return QLatin1String(entry.Key);
  return QString();
}

QString GeneratorProblemText(const TLocalStrings& strings, int result, const std::string& subject,
                             const std::string& detail) {
  return FormatText(strings.GetString(GeneratorMessageKey(result)),
                    {QString::fromStdString(subject), QString::fromStdString(detail)});
}

QString GeneratorWarningText(const TLocalStrings& strings, const TGeneratorWarning& warning) {
  return FormatText(strings.GetString(WarningKey(warning.Kind)),
                    {QString::fromStdString(warning.Subject), QString::number(warning.FirstLine)});
}

QString GeneratorProblemReport(const TLocalStrings& strings, const THTMLGenerator& generator, int result,
                               const QString& file) {
  return AtPlace(strings, "ProblemAt", file, generator.ErrorLine(),
                 GeneratorProblemText(strings, result, generator.ErrorSubject(), generator.ErrorDetail()));
}

QStringList GeneratorWarningReports(const TLocalStrings& strings, const THTMLGenerator& generator,
                                    const QString& file) {
  QStringList reports;
  for (const TGeneratorWarning& warning : generator.Warnings())
    reports.append(AtPlace(strings, "WarningAt", file, warning.Line, GeneratorWarningText(strings, warning)));
  return reports;
}

bool GenerateProjectSite(THTMLGenerator& generator, const QString& projectPath,
                         QString projectText, const QString& themesFolder) {
  // The generator works on UTF-8; the UTF-16 copy is not needed while it runs.
  QByteArray text = projectText.toUtf8();
  projectText = QString();
  return GenerateProjectSite(generator, projectPath, text, themesFolder);
}

bool GenerateProjectSite(THTMLGenerator& generator, const QString& projectPath, const QByteArray& text,
                         const QString& themesFolder) {
  generator.SetProjectFolder(QFileInfo(projectPath).absolutePath().toStdString());
  generator.SetProjectFileName(QFileInfo(projectPath).fileName().toStdString());
  generator.SetThemesFolder(themesFolder.toStdString());
  // The headless modes speak English.
  QObject owner;
  TLocalStrings strings(&owner, QStringLiteral("Generator"));
  strings.Localize(1033);
  const QString problem = RunGenerator(generator, text, strings, projectPath);
  PrintWarnings(strings, generator, projectPath);
  if (!problem.isEmpty()) PrintError(problem);
  return problem.isEmpty();
}

int BuildProject(const QString& projectPath, const QString& themesFolder, THTMLGenerator& generator) {
  QByteArray text;
  try {
    text = TProjectFile::ReadTextUtf8(projectPath);
  } catch (const EInkloomError& error) {
    PrintError(error.what());
    return 2;
  }
  return GenerateProjectSite(generator, projectPath, text, themesFolder) ? 0 : 1;
}

int RunBuild(const QString& projectPath, const QString& themesFolder) {
  THTMLGenerator generator;
  return BuildProject(projectPath, themesFolder, generator);
}
