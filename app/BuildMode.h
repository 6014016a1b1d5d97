#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

// inkloom --build PROJECT: generates the project's site as the Preview command does. Prints
// nothing on success; returns the program's exit code (0, 1 for a generator error, 2 when the
// project cannot be read).
int RunBuild(const QString& projectPath, const QString& themesFolder);

class THTMLGenerator;
class TLocalStrings;
struct TGeneratorWarning;

// Generates a project's site with the given generator; a generator problem or a damaged theme
// archive is reported on stderr and gives false. Problems and warnings name their place as
// compilers do ("site.iklproj:12: ..."), the project file as projectPath names it.
bool GenerateProjectSite(THTMLGenerator& generator, const QString& projectPath,
                         QString projectText, const QString& themesFolder);
// The same for the project text in UTF-8.
bool GenerateProjectSite(THTMLGenerator& generator, const QString& projectPath, const QByteArray& text,
                         const QString& themesFolder);

// Reads the project and generates its site: 0, 1 after a generator problem, 2 when the project
// cannot be read (both reported on stderr).
int BuildProject(const QString& projectPath, const QString& themesFolder, THTMLGenerator& generator);

// The themes folder of the settings file (DefaultThemesPath in config.ini), read without ever
// writing the file; the installed themes when it names none. Reading the file also applies its
// code page.
QString ThemesFolderSetting();

// The folder of the themes installed with the program: <prefix>/share/inkloom/themes beside
// the program's bin folder, or share/inkloom/themes in the build tree.
QString InstalledThemesFolder();

// The generator's messages live in the text table "Generator", so that the windows can show the
// same texts as the headless modes, in their own language.
// The key of the message for a result of Generate; empty for success.
QString GeneratorMessageKey(int result);
// The message for a result of Generate, in the language of strings (a "Generator" table), with
// what the error names (THTMLGenerator::ErrorSubject and ErrorDetail).
QString GeneratorProblemText(const TLocalStrings& strings, int result, const std::string& subject = {},
                             const std::string& detail = {});
// The message of a warning, without its place, in the language of strings.
QString GeneratorWarningText(const TLocalStrings& strings, const TGeneratorWarning& warning);
// The problem of the last generation and its warnings with their places ("FILE:LINE: ...").
QString GeneratorProblemReport(const TLocalStrings& strings, const THTMLGenerator& generator, int result,
                               const QString& file);
QStringList GeneratorWarningReports(const TLocalStrings& strings, const THTMLGenerator& generator,
                                    const QString& file);
