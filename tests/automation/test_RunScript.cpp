// inkloom --run-script as a user runs it: exit codes and error lines, a project written from
// scratch, saved and built, a project opened first and left unsaved, an upload to a real FTP
// server, Ctrl+C, and the example scripts.

#include "FTPTestServer.h"
#include "ProgramRun.h"
#include "QtPrinters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct TRunCase {
  const char* Name;
  const char* Script;
  int ExitCode;
  const char* Err;  // the start of stderr's first line
  const char* Out;
};

const TRunCase kRunCases[] = {
    {"success with console output", "console.log('hello', 1);\nconsole.info('more');", 0, "", "hello 1\nmore\n"},
    {"a syntax error", "console.log('never');\nvar = 1;", 1, "s.js:2: SyntaxError", ""},
    {"a run-time error", "console.log('a');\n\nnothing.here();", 1, "s.js:3: ReferenceError: nothing is not defined", "a\n"},
    {"a value thrown", "throw 'stop';", 1, "s.js:1: stop", ""},
    {"a member's failure", "Editor.Writeln('x');\nOpen('missing.iklproj');", 1, "s.js:2: Cannot open file", ""},
    {"Open would need the window", "Open('');", 1,
     "s.js:1: Application.Open without a file name asks for one in the window", ""},
    {"Save would need the window", "Editor.Writeln('x');\nSave('');", 1,
     "s.js:2: Application.Save without a file name asks for one in the window", ""},
    {"a generator problem", "Editor.Text = '[index.html';\nBuild();", 1, "s.js:2: Untitled:1: the section header has no closing", ""},
    {"a list level beyond the deepest", "Editor.Writeln('x');\nEditor.AddUL('x', 1000000000);", 1,
     "s.js:2: Editor.AddUL: the level 1000000000 is not one of 0 to 32.", ""},
    {"a member's failure caught, the run goes on",
     "try { Editor.AddOL('x', Math.pow(2, 30)); } catch (e) { console.log(e.message); }\n"
     "Editor.AddUL('a', 32); Editor.AddOL('b', -3); Editor.AddUL('c', 1.5);\n"
     "console.log(Editor.GetLine(0).length, Editor.GetLine(1), Editor.GetLine(2));",
     0, "", "Editor.AddOL: the level 1073741824 is not one of 0 to 32.\n67 # b   * c\n"},
    {"an index that is no line of the text",
     "for (const t of [Editor, Editor.New()]) {\n"
     "  t.Text = 'a\\r\\nb';\n"
     "  for (const i of [4294967296, -4294967295, 1.5, NaN, Infinity, -1, 2, '1x']) t.SetLine(i, 'q');\n"
     "  console.log(JSON.stringify(t.Text), [4294967296, 4294967297, NaN, 0.5, -0, '1'].map(i => t.GetLine(i)).join('|'));\n"
     "}",
     0, "", "\"a\\r\\nb\" ||||a|b\n\"a\\r\\nb\" ||||a|b\n"},
    {"a member the object lacks", "Editor.Writeln('x');\nSettings.Frobnicate();", 1, "s.js:2: Settings has no member Frobnicate", ""},
    {"a syntax error in eval's text", "console.log('a');\neval('a\\nb\\nvar = 1');", 1, "s.js:2: SyntaxError", "a\n"},
    {"a caught syntax error as the last value", "var x;\ntry { eval('var = 1'); } catch (e) { x = e; }\nx", 0, "", ""},
    {"Settings enumerated without its write-only members",
     "const names = [Object.keys(Settings), Object.keys(JSON.parse(JSON.stringify(Settings))), []];\n"
     "for (const name in Settings) names[2].push(name);\n"
     "console.log(names.map(n => n.includes('FTPPort') && !n.includes('FTPUserName') && !n.includes('FTPPassword')));\n"
     "Settings.FTPPassword = 'secret';\n"
     "Settings.FTPPassword;",
     1, "s.js:5: Settings.FTPPassword can be written but not read.", "[true,true,true]\n"},
};

QString Project(const QString& text) {
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>%1</content></iklproj>")
      .arg(text.toHtmlEscaped());
}

}  // namespace

TEST(RunScript, ExitCodesAndErrorsWithTheirLines) {
  TProgramFolder folder;
  for (const TRunCase& c : kRunCases) {
    SCOPED_TRACE(c.Name);
    const TProgramResult run = folder.RunScript(c.Script);
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err.toStdString();
    if (*c.Err)
      EXPECT_TRUE(run.Err.startsWith(QString::fromUtf8(c.Err))) << run.Err.toStdString();
    else
      EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QString::fromUtf8(c.Out));
  }
  const TProgramResult unreadable = folder.Run({QStringLiteral("--run-script"), QStringLiteral("none.js")});
  EXPECT_EQ(unreadable.ExitCode, 2);
  EXPECT_TRUE(unreadable.Err.startsWith(QStringLiteral("none.js: cannot read the script"))) << unreadable.Err.toStdString();
  const TProgramResult noProject = folder.RunScript("console.log('never');", {QStringLiteral("none.iklproj")});
  EXPECT_EQ(noProject.ExitCode, 2);
  EXPECT_TRUE(noProject.Err.startsWith(QStringLiteral("Cannot open file"))) << noProject.Err.toStdString();
  EXPECT_TRUE(noProject.Out.isEmpty());
}

// A script file is read as the script window reads it: UTF-16 by its byte-order mark, UTF-8,
// else the code page.
TEST(RunScript, ScriptFilesAreReadInEveryEncodingTheWindowReads) {
  TProgramFolder folder;
  const QString script = QStringLiteral("console.log('\u043f\u0440\u0438\u0432\u0435\u0442');");
  QStringEncoder le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
  QStringEncoder be(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
  const QByteArray encodings[] = {le.encode(script), be.encode(script), script.toUtf8(),
                                  QByteArray("console.log('\xEF\xF0\xE8\xE2\xE5\xF2');")};  // windows-1251
  for (const QByteArray& bytes : encodings) {
    const TProgramResult run = folder.RunScript(bytes);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("\u043f\u0440\u0438\u0432\u0435\u0442\n"));
  }
}

// The whole way of a script: a project from nothing, saved and built, and no trace left in the
// user's settings or recovery folders.
TEST(RunScript, WritesAProjectFromScratchSavesAndBuildsIt) {
  TProgramFolder folder;
  const TProgramResult run = folder.RunScript(
      "Editor.Clear();\n"
      "Editor.AddDefine('sitename', 'Scripted');\n"
      "Editor.AddSection('index.html');\n"
      "Editor.AddDefine('title', 'Home');\n"
      "Editor.AddH1('Welcome');\n"
      "Editor.AddP('See the ' + Editor.StrLink('list.html', 'list') + '.');\n"
      "Editor.AddSection('list.html');\n"
      "['one', 'two'].forEach(function (item, i) { Editor.AddOL(item, i); });\n"
      "Settings.FTPServer = 'ftp.example.org';\n"
      "Save('site/scripted.iklproj');\n"
      "Build();\n"
      "console.log(Editor.LineCount);");
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out, QStringLiteral("9\n"));
  const QString project = QString::fromUtf8(folder.Read(QStringLiteral("site/scripted.iklproj")));
  EXPECT_TRUE(project.contains(QStringLiteral("[index.html]\r\n$title Home\r\n= Welcome\r\n\r\nSee the *[list.html list].")))
      << project.toStdString();
  EXPECT_TRUE(project.contains(QStringLiteral("FTPServer=\"ftp.example.org\"")));
  EXPECT_TRUE(folder.Read(QStringLiteral("site/html/index.html")).contains("<h1>Welcome</h1>"));
  EXPECT_TRUE(folder.Read(QStringLiteral("site/html/list.html")).contains("<li>one"));
  EXPECT_FALSE(folder.Exists(QStringLiteral("config/Inkloom/config.ini")));
  EXPECT_TRUE(QDir(folder.Path(QStringLiteral("state"))).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

TEST(RunScript, TheProjectIsOpenedFirstAndSavedOnlyWhenAsked) {
  TProgramFolder folder;
  const QByteArray original = Project(QStringLiteral("[index.html]\r\n= Kept")).toUtf8();
  folder.Write(QStringLiteral("p/site.iklproj"), original);
  const TProgramResult run = folder.RunScript(
      "console.log(Editor.GetLine(1));\nEditor.SetLine(1, '= Changed');\nBuild();", {QStringLiteral("p/site.iklproj")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out, QStringLiteral("= Kept\n"));
  EXPECT_EQ(folder.Read(QStringLiteral("p/site.iklproj")), original);
  EXPECT_TRUE(folder.Read(QStringLiteral("p/html/index.html")).contains("Changed"));
}

TEST(RunScript, UploadReportsItsProgressOnStderrAndAnswersTheScript) {
  TFTPTestServer server;
  TProgramFolder folder;
  const QString script = QStringLiteral(
      "Editor.Text = '[index.html]\\r\\n= Up\\r\\n[about.html]\\r\\nAbout';\n"
      "var s = Settings;\n"
      "s.FTPServer = '127.0.0.1'; s.FTPPort = '%1'; s.FTPUserName = '%2'; s.FTPPassword = '%3';\n"
      "s.FTPRemoteRoot = '/';\n"
      "Save('up/site.iklproj');\n"
      "console.log(Upload());\n"
      "console.log(Upload());\n"
      "s.FTPPort = '%4';\n"
      "s.UploadChangesOnly = false;\n"
      "console.log(Upload());")
      .arg(QString::fromStdString(server.Port()), QLatin1String(TFTPTestServer::UserName),
           QLatin1String(TFTPTestServer::Password), QString::fromStdString(TFTPTestServer::UnusedPort()));
  const TProgramResult run = folder.RunScript(script.toUtf8());
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  // Sent; then nothing changed, which is no completed run; then no server to talk to.
  EXPECT_EQ(run.Out, QStringLiteral("true\nfalse\nfalse\n"));
  EXPECT_TRUE(server.Home().Exists("about.html"));
  EXPECT_TRUE(run.Err.contains(QStringLiteral("Upload file: index.html ("))) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("Upload complete.")));
  EXPECT_TRUE(run.Err.contains(QStringLiteral("No files for uploading.")));
  EXPECT_TRUE(run.Err.contains(QStringLiteral("Cannot connect to 127.0.0.1:")));
}

TEST(RunScript, CtrlCStopsAScriptThatNeverEnds) {
  TProgramFolder folder;
  folder.Write(QStringLiteral("loop.js"), "console.log('running');\nfor (;;) {}\n");
  QProcess process;
  folder.Start(process, {QStringLiteral("--run-script"), QStringLiteral("loop.js")});
  ASSERT_TRUE(process.waitForReadyRead(60000));
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 130);
  EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).startsWith(QStringLiteral("loop.js: interrupted")));
}

TEST(RunScript, TheExampleScriptsRunOnTheSampleProject) {
  TProgramFolder folder;
  const QDir sample(QStringLiteral(INKLOOM_SOURCE_DIR "/examples/sample"));
  for (QDirIterator it(sample.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    const QString file = it.next();
    QFile source(file);
    source.open(QIODevice::ReadOnly);
    folder.Write(QStringLiteral("sample/") + sample.relativeFilePath(file), source.readAll());
  }
  const QString project = folder.Path(QStringLiteral("sample/sample.iklproj"));
  const auto example = [&](const char* name, const QString& projectFile) {
    return folder.Run({QStringLiteral("--run-script"), QStringLiteral(INKLOOM_SOURCE_DIR "/examples/scripts/") + QLatin1String(name),
                       projectFile});
  };

  const TProgramResult contents = example("table-of-contents.js", project);
  ASSERT_EQ(contents.ExitCode, 0) << contents.Err.toStdString();
  EXPECT_TRUE(contents.Out.contains(QStringLiteral("* *[teas.html Our teas]\n")));
  EXPECT_TRUE(contents.Out.contains(QStringLiteral("  * Brewing guide\n")));

  const TProgramResult map = example("site-map.js", project);
  ASSERT_EQ(map.ExitCode, 0) << map.Err.toStdString();
  const QByteArray sitemap = folder.Read(QStringLiteral("sample/html/sitemap.xml"));
  EXPECT_TRUE(sitemap.contains("<url><loc>http://www.example.com/docs/guide.html</loc><lastmod>")) << sitemap.toStdString();

  // The project lists its pages; the example makes the missing ones.
  folder.Write(QStringLiteral("list/list.iklproj"),
               Project(QStringLiteral("[pagelist]\r\n* Green tea - Picked in spring.\r\n* Black tea\r\n[index.html]\r\n{pagelist}")).toUtf8());
  const TProgramResult pages = example("pages-from-list.js", folder.Path(QStringLiteral("list/list.iklproj")));
  ASSERT_EQ(pages.ExitCode, 0) << pages.Err.toStdString();
  EXPECT_EQ(pages.Out, QStringLiteral("added green-tea.html\nadded black-tea.html\n2 page(s) added\n"));
  EXPECT_TRUE(folder.Read(QStringLiteral("list/html/green-tea.html")).contains("Picked in spring."));
  EXPECT_TRUE(folder.Exists(QStringLiteral("list/html/black-tea.html")));
}
