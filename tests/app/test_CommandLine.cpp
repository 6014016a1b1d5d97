#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TCommandLine Parse(std::initializer_list<const char*> args) {
  QStringList list{QStringLiteral("inkloom")};
  for (const char* arg : args) list << QString::fromUtf8(arg);
  return TCommandLine::Parse(list);
}

struct TProgramRun {
  int ExitCode;
  QString Out;
  QString Err;
};

TProgramRun RunProgram(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(INKLOOM_PROGRAM), args);
  process.waitForFinished(30000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

TEST(CommandLine, EditorWithAndWithoutProject) {
  EXPECT_EQ(Parse({}).Mode, rmEditor);
  EXPECT_TRUE(Parse({}).Project.isEmpty());
  TCommandLine withProject = Parse({"site.iklproj"});
  EXPECT_EQ(withProject.Mode, rmEditor);
  EXPECT_EQ(withProject.Project, QStringLiteral("site.iklproj"));
  EXPECT_EQ(Parse({"a.iklproj", "b.iklproj"}).Mode, rmUsageError);
}

TEST(CommandLine, HeadlessModesTakeTheirProject) {
  TCommandLine build = Parse({"--build", "my site.iklproj"});
  EXPECT_EQ(build.Mode, rmBuild);
  EXPECT_EQ(build.Project, QStringLiteral("my site.iklproj"));
  EXPECT_EQ(Parse({"--upload", "x"}).Mode, rmUpload);
  TCommandLine serve = Parse({"--serve", "x", "--port", "8080"});
  EXPECT_EQ(serve.Mode, rmServe);
  EXPECT_EQ(serve.Port, 8080);
  EXPECT_EQ(Parse({"--serve", "x"}).Port, 0);
  EXPECT_FALSE(Parse({"--serve", "x"}).Watch);
  EXPECT_TRUE(Parse({"--serve", "x", "--watch"}).Watch);
  for (const auto& args : {QStringList{"--upload", "--dry-run", "x"}, QStringList{"--dry-run", "--upload", "x"},
                           QStringList{"--upload", "x", "--dry-run"}}) {
    const TCommandLine plan = TCommandLine::Parse(QStringList{"inkloom"} + args);
    EXPECT_TRUE(plan.DryRun);
    EXPECT_FALSE(plan.Delete);
    EXPECT_EQ(plan.Mode, rmUpload);
    EXPECT_EQ(plan.Project, QStringLiteral("x"));
  }
  TCommandLine script = Parse({"--run-script", "s.js", "p.iklproj"});
  EXPECT_EQ(script.Mode, rmRunScript);
  EXPECT_EQ(script.ScriptFile, QStringLiteral("s.js"));
  EXPECT_EQ(script.Project, QStringLiteral("p.iklproj"));
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  EXPECT_EQ(Parse({"--build"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--build", "a", "--upload", "b"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--port", "80"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--serve", "x", "--port", "70000"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--serve", "x", "--port", "eighty"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--build", "a", "stray"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--build", "a", "--watch"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--serve", "a", "--dry-run"}).Mode, rmUsageError);
  EXPECT_EQ(Parse({"--build", "a", "--delete"}).Mode, rmUsageError);
  EXPECT_TRUE(Parse({"--upload", "a", "--delete"}).Delete);
  TCommandLine unknown = Parse({"--frobnicate"});
  EXPECT_EQ(unknown.Mode, rmUsageError);
  EXPECT_TRUE(unknown.Error.contains(QStringLiteral("frobnicate")));
}

TEST(CommandLine, AutomationSwitchesInAnyCaseAfterSlashOrDash) {
  EXPECT_EQ(Parse({"/REGSERVER"}).Mode, rmRegServer);
  EXPECT_EQ(Parse({"-RegServer"}).Mode, rmRegServer);
  EXPECT_EQ(Parse({"/unregserver"}).Mode, rmUnregServer);
  EXPECT_EQ(Parse({"-Automation"}).Mode, rmAutomation);
  EXPECT_EQ(Parse({"/embedding"}).Mode, rmAutomation);
  // A file that merely contains the word is a project.
  EXPECT_EQ(Parse({"regserver"}).Mode, rmEditor);
}

TEST(Program, AnswersVersionAndHelp) {
  TProgramRun version = RunProgram({QStringLiteral("--version")});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Out.trimmed(), QStringLiteral("Inkloom 1.3.1"));

  TProgramRun help = RunProgram({QStringLiteral("--help")});
  EXPECT_EQ(help.ExitCode, 0);
  for (const char* mode : {"--build", "--serve", "--port", "--upload", "--run-script", "--version",
                           "-regserver", "-unregserver", "-automation", "-embedding"})
    EXPECT_TRUE(help.Out.contains(QLatin1String(mode))) << mode;
}

TEST(Program, UsageErrorsAndUnreadableScriptsExitTwo) {
  TProgramRun run = RunProgram({QStringLiteral("--run-script"), QStringLiteral("no-such-script.js")});
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_TRUE(run.Err.contains(QStringLiteral("no-such-script.js"))) << run.Err.toStdString();
  TProgramRun bad = RunProgram({QStringLiteral("--nonsense")});
  EXPECT_EQ(bad.ExitCode, 2);
  EXPECT_TRUE(bad.Err.contains(QStringLiteral("--help")));
}

namespace {

class BuildMode : public ::testing::Test {
 protected:
  QTemporaryDir Dir;

  QString Path(const QString& relative) const { return Dir.filePath(relative); }
  void Write(const QString& relative, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
    QFile file(Path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray Read(const QString& relative) const {
    QFile file(Path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // The program runs in the temporary folder, so that a project may be named relative to it.
  TProgramRun Build(const QString& project) const {
    QProcess process;
    process.setWorkingDirectory(Dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(INKLOOM_PROGRAM), {QStringLiteral("--build"), project});
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }
};

}  // namespace

TEST_F(BuildMode, UsesTheThemesFolderOfTheSettingsAndNeverWritesThem) {
  const QByteArray settings = "[General]\r\nDefaultThemesPath=" + Path("themes").toUtf8() + "/\r\n";
  Write(QStringLiteral("config/Inkloom/config.ini"), settings);
  Write(QStringLiteral("themes/blue/index.html"), "<body class=\"blue\">{content}</body>");
  Write(QStringLiteral("site/site.iklproj"),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>$theme blue\r\n"
        "[index.html]\r\nHello &amp; welcome</content></iklproj>");
  TProgramRun run = Build(Path(QStringLiteral("site/site.iklproj")));
  EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_TRUE(run.Out.isEmpty());
  EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
  EXPECT_EQ(Read(QStringLiteral("site/html/index.html")),
            QByteArray("<body class=\"blue\">Hello & welcome</body>"));
  EXPECT_EQ(Read(QStringLiteral("config/Inkloom/config.ini")), settings);
}

TEST_F(BuildMode, ReportsGeneratorProblemsWithTheirLineAndUnreadableProjects) {
  // The section the bad header would end is not written; those before it are.
  Write(QStringLiteral("bad.txt"), "[index.html]\n\nHello\n[other.html]\nx\n[third.html\n");
  // The place comes first, as compilers give it, with the project file as the command names it.
  TProgramRun bracket = Build(QStringLiteral("bad.txt"));
  EXPECT_EQ(bracket.ExitCode, 1);
  EXPECT_EQ(bracket.Err.toStdString(), "bad.txt:6: the section header has no closing \"]\".\n");
  EXPECT_EQ(Read(QStringLiteral("html/index.html")), QByteArray("<p>Hello</p>\n"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("html/other.html"))));

  Write(QStringLiteral("section.txt"), "[a.html]\n$missing.title x\n");
  TProgramRun section = Build(Path(QStringLiteral("section.txt")));
  EXPECT_EQ(section.ExitCode, 1);
  EXPECT_EQ(section.Err.toStdString(),
            Path(QStringLiteral("section.txt")).toStdString() +
                ":2: the directive sets a variable of a section that does not exist.\n");

  TProgramRun missing = Build(Path(QStringLiteral("none.iklproj")));
  EXPECT_EQ(missing.ExitCode, 2);
  EXPECT_TRUE(missing.Err.contains(QStringLiteral("Cannot open file"))) << missing.Err.toStdString();
  // A damaged project is no plain text to build nothing from.
  Write(QStringLiteral("damaged.iklproj"), "<iklproj><content>[index.html]\nfish & chips</content></iklproj>");
  TProgramRun damaged = Build(QStringLiteral("damaged.iklproj"));
  EXPECT_EQ(damaged.ExitCode, 2);
  EXPECT_TRUE(damaged.Err.startsWith(QStringLiteral("damaged.iklproj:2:"))) << damaged.Err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("config/Inkloom/config.ini"))));
}

TEST_F(BuildMode, ADamagedThemeArchiveEndsTheBuildWithItsMessage) {
  // A stored entry whose CRC does not match its data.
  QByteArray name = "index.html", data = "{content}";
  QByteArray local;
  auto put16 = [](QByteArray& b, int v) { b.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); };
  auto put32 = [&](QByteArray& b, uint32_t v) { put16(b, v & 0xFFFF); put16(b, v >> 16); };
  put32(local, 0x04034b50);
  put16(local, 10);
  put16(local, 0);
  put16(local, 0);
  put16(local, 0);
  put16(local, 0);
  put32(local, 0x12345678);  // wrong CRC
  put32(local, data.size());
  put32(local, data.size());
  put16(local, name.size());
  put16(local, 0);
  local += name + data;
  Write(QStringLiteral("site/template.zip"), local);
  Write(QStringLiteral("site/p.txt"), "[index.html]\nx\n");
  TProgramRun run = Build(Path(QStringLiteral("site/p.txt")));
  EXPECT_EQ(run.ExitCode, 1);
  // The message names the project line, the archive and the entry.
  EXPECT_TRUE(run.Err.startsWith(Path(QStringLiteral("site/p.txt:1:")))) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("template.zip"))) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("\"index.html\""))) << run.Err.toStdString();
}

TEST_F(BuildMode, WarnsOfAThemeThatIsNotFoundAndBuildsAllTheSame) {
  // Without a theme "template" beside it a project is still normal: only the directive warns.
  Write(QStringLiteral("site/site.iklproj"),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>$title T\r\n"
        "[index.html]\r\n$theme nowhere\r\nHello</content></iklproj>");
  TProgramRun run = Build(QStringLiteral("site/site.iklproj"));
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Err.toStdString(),
            "site/site.iklproj:3: warning: theme \"nowhere\" was not found.\n");
  EXPECT_EQ(Read(QStringLiteral("site/html/index.html")), QByteArray("Hello\n"));  // no template

  // Warnings come before the problem that stopped the generation; the exit code is the problem's.
  Write(QStringLiteral("both.txt"), "$theme gone\n[a.html\n");
  TProgramRun both = Build(QStringLiteral("both.txt"));
  EXPECT_EQ(both.ExitCode, 1);
  EXPECT_EQ(both.Err.toStdString(),
            "both.txt:1: warning: theme \"gone\" was not found.\n"
            "both.txt:2: the section header has no closing \"]\".\n");
}
