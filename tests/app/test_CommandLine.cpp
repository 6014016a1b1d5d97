#include "app/CommandLine.h"

#include <QProcess>

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

TEST(Program, ModesNotYetAvailableSaySoAndExitTwo) {
  TProgramRun run = RunProgram({QStringLiteral("--upload"), QStringLiteral("x.iklproj")});
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_TRUE(run.Err.contains(QStringLiteral("not available")));
  TProgramRun bad = RunProgram({QStringLiteral("--nonsense")});
  EXPECT_EQ(bad.ExitCode, 2);
  EXPECT_TRUE(bad.Err.contains(QStringLiteral("--help")));
}
