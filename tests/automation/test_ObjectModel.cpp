// The object model as scripts see it, on the real application module and main window offscreen:
// the markup the editor members write, the line list's edges on the main editor and on a
// free-standing text object alike, the settings, and the application's members with their
// failures. One script per group of members.

#include "QtPrinters.h"
#include "app/Main.h"
#include "app/Model.h"
#include "automation/ActiveScript.h"
#include "automation/Application.h"
#include "publish/FTPUploadModule.h"

#include <Qsci/qsciscintilla.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What a script hands back to the test: Out.Put(value).
class TScriptOutput : public QObject {
  Q_OBJECT
 public:
  QStringList Values;
  Q_INVOKABLE void Put(const QString& value) { Values.append(value); }
};

// Lines as the line list writes them, each ended by CR LF.
QString Lines(std::initializer_list<const char*> lines) {
  QString text;
  for (const char* line : lines) text += QString::fromUtf8(line) + QStringLiteral("\r\n");
  return text;
}

class ObjectModelTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  std::unique_ptr<Automation::TApplication> Application;
  TActiveScript Script;
  TScriptOutput Out;
  QString Chosen;  // what the file dialogs answer

  void SetUp() override {
    qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", Dir.filePath(QStringLiteral("state")).toUtf8());
    new TModule(QString());
    Module->ChooseFile = [this](QFileDialog*) { return Chosen; };
    Module->AskYesNoCancel = [](const QString&, const QString&) { return int(QMessageBox::No); };
    Module->StartedByAutomation = true;
    Application = std::make_unique<Automation::TApplication>(false);
    Script.CreateEngine(QStringLiteral("JavaScript"));
    Script.AddNamedItem(QStringLiteral("Application"), Application.get(), true);
    Script.AddNamedItem(QStringLiteral("Out"), &Out, false);
  }
  void TearDown() override {
    Script.Close();
    Application.reset();
    delete Module;
  }

  // Runs a script; the error's description, or empty when it ran to its end.
  QString Run(const QString& code) {
    return Script.Execute(code) == S_OK ? QString() : Script.GetError().Description;
  }
  QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }
};

struct TTextCase {
  const char* Name;
  const char* Script;  // works on the object named Doc
  QString Text;        // Doc.Text afterwards
};

// The markup of the Add members, and the line list's edges. Each runs on the main editor and on
// a free-standing text object: both must agree.
const TTextCase kTextCases[] = {
    {"sections, variables, paragraphs and headings",
     "Doc.AddSection('index.html'); Doc.AddDefine('title', 'Home page');\n"
     "Doc.AddP('Hello', 'note'); Doc.AddP('Hello'); Doc.AddH1('One'); Doc.AddH2('Title', '');\n"
     "Doc.AddH3('Three', 'big'); Doc.AddPRE('code', 'src'); Doc.AddNAME('top'); Doc.Writeln();",
     Lines({"[index.html]", "$title Home page", "", ".[note]", "Hello", "", "Hello", "= One",
                             "== Title", ".[big]", "=== Three", ".[src]", "> code", "#[top]", ""})},
    {"list items by level",
     "Doc.AddUL('Item', 2); Doc.AddOL('Step'); Doc.AddUL('Flat', -1); Doc.AddOL('Deep', 1, 'x');",
     Lines({"    * Item", "# Step", "* Flat", ".[x]", "  # Deep"})},
    {"Write joins the last line, Writeln adds one",
     "if (Doc.LineCount !== 0) throw 'not empty';\n"
     "Doc.Write('a'); Doc.Write('b'); if (Doc.LineCount !== 1) throw 'one line';\n"
     "Doc.Writeln('c');",
     Lines({"ab", "c"})},
    {"lines out of range",
     "Doc.Writeln('first'); Doc.Writeln('second');\n"
     "if (Doc.GetLine(-1) !== '' || Doc.GetLine(Doc.LineCount) !== '') throw 'out of range read';\n"
     "Doc.SetLine(Doc.LineCount, 'x'); Doc.SetLine(-1, 'y'); Doc.SetLine(1, 'changed');\n"
     "if (Doc.GetLine(0) !== 'first') throw 'line 0';",
     Lines({"first", "changed"})},
    {"Text splits at line breaks of any kind and a last break starts no line",
     "Doc.Text = 'a\\nb\\r\\nc\\rd\\n'; if (Doc.LineCount !== 4) throw 'count ' + Doc.LineCount;\n"
     "Doc.Write('!'); Doc.Writeln('e');",
     Lines({"a", "b", "c", "d!", "e"})},
    {"an empty line alone is a line", "Doc.Clear(); Doc.Writeln(''); if (Doc.LineCount !== 1) throw 'lost';",
     Lines({""})},
    {"Clear empties", "Doc.Writeln('x'); Doc.Clear(); if (Doc.LineCount !== 0) throw 'left';", QString()},
};

}  // namespace

TEST_F(ObjectModelTest, EditorMembersWriteTheirMarkupOnTheMainEditorAndOnTextObjects) {
  for (const char* target : {"var Doc = Editor;", "var Doc = Editor.New();"}) {
    for (const TTextCase& c : kTextCases) {
      SCOPED_TRACE(std::string(target) + " " + c.Name);
      Module->SetText(QStringLiteral("unchanged"));
      Run(QStringLiteral("Editor.Clear();"));
      Out.Values.clear();
      EXPECT_EQ(Run(QLatin1String(target) + QString::fromUtf8(c.Script) + QStringLiteral("\nOut.Put(Doc.Text);")), QString());
      EXPECT_EQ(Out.Values.value(0), c.Text);
      const bool main = QLatin1String(target).contains(u"= Editor;");
      EXPECT_EQ(Module->GetText(), main ? c.Text : QString());
    }
  }
}

TEST_F(ObjectModelTest, StrMembersReturnMarkupAndChangeNothing) {
  Module->SetText(QStringLiteral("kept"));
  Module->SetModified(false);
  EXPECT_EQ(Run(QStringLiteral(
                "var e = Editor;\n"
                "[e.StrLink('page.html', 'Next'), e.StrLink('page.html', 'Next', 'class=x'), e.StrLink('page.html'),\n"
                " e.StrImage('a.png', 'Logo'), e.StrImage('a.png', '', 'width=5'), e.StrBold('b'), e.StrItalic('i'),\n"
                " e.StrBoldItalic('bi'), e.StrStyle('text', 'color:red '), e.StrTag('br'), e.StrTag('b', 'x'),\n"
                " e.StrTag('td', 'x', 'colspan=2')].forEach(function (s) { Out.Put(s); });")),
            QString());
  EXPECT_EQ(Out.Values, (QStringList{"*[page.html Next]", "*[page.html class=x Next]", "*[page.html]",
                                     "![a.png alt=\"Logo\"]", "![a.png width=5]", "_[b]", "__[i]", "___[bi]",
                                     ".[color:red text]", "<br/>", "<b>x</b>", "<td colspan=2>x</td>"}));
  EXPECT_EQ(Module->GetText(), QStringLiteral("kept"));
  EXPECT_FALSE(Module->IsModified());
}

TEST_F(ObjectModelTest, EachEditorMemberIsOneUndoStepAndRefreshesTheSectionList) {
  Module->SetText(QStringLiteral("[a.html]"));
  Module->ContentChanged = false;
  EXPECT_EQ(Run(QStringLiteral("Editor.AddP('Hello', 'note');")), QString());
  EXPECT_TRUE(Module->ContentChanged);
  EXPECT_TRUE(Module->IsModified());
  EXPECT_EQ(Module->GetText(), QStringLiteral("[a.html]\r\n\r\n.[note]\r\nHello\r\n"));
  Module->GetEditor()->undo();
  EXPECT_EQ(Module->GetText(), QStringLiteral("[a.html]"));
  EXPECT_EQ(Run(QStringLiteral("Editor.Text = 'all new';")), QString());
  Module->GetEditor()->undo();
  EXPECT_EQ(Module->GetText(), QStringLiteral("[a.html]"));
}

TEST_F(ObjectModelTest, SettingsAreTheOpenProjectsAndTheCredentialsCannotBeRead) {
  EXPECT_EQ(Run(QStringLiteral(
                "var s = Settings;\n"
                "s.FTPPort = 2121; s.FTPServer = 'ftp.example.org'; s.FTPRemoteRoot = '/www';\n"
                "s.FTPPassiveMode = false; s.UploadChangesOnly = false;\n"
                "s.FTPUserName = 'alice'; Settings.FTPPassword = 'secret'; s.Protocol = 'SFTP';\n"
                "Out.Put(Settings.FTPPort); Out.Put(typeof Settings.FTPPort); Out.Put(Settings.FTPPassiveMode);\n"
                "Out.Put(Settings.Protocol);")),
            QString());
  EXPECT_EQ(Out.Values, (QStringList{"2121", "string", "false", "sftp"}));
  // The port follows the protocol unless the user chose it.
  Out.Values.clear();
  EXPECT_EQ(Run(QStringLiteral("Settings.FTPPort = '21'; Settings.Protocol = 'ftp'; Settings.Protocol = 'sftp'; Out.Put(Settings.FTPPort);\n"
                               "Settings.Protocol = 'ftps'; Out.Put(Settings.FTPPort); Settings.FTPPort = '990';\n"
                               "Settings.Protocol = 'sftp'; Out.Put(Settings.FTPPort);")),
            QString());
  EXPECT_EQ(Out.Values, (QStringList{"22", "21", "990"}));
  EXPECT_EQ(FTPUploadModule->FTPServer, QStringLiteral("ftp.example.org"));
  EXPECT_EQ(FTPUploadModule->FTPRemoteRoot, QStringLiteral("/www"));
  EXPECT_EQ(FTPUploadModule->FTPUserName, QStringLiteral("alice"));
  EXPECT_EQ(FTPUploadModule->FTPPassword, QStringLiteral("secret"));
  EXPECT_FALSE(FTPUploadModule->UploadChangesOnly);
  EXPECT_FALSE(Module->IsModified());
  for (const char* name : {"FTPUserName", "FTPPassword"})
    EXPECT_EQ(Run(QStringLiteral("var x = Settings.%1;").arg(QLatin1String(name))),
              QStringLiteral("Settings.%1 can be written but not read.").arg(QLatin1String(name)));
}

TEST_F(ObjectModelTest, OpenSaveAndBuildWorkOnTheProjectAndTheirFailuresStopTheScript) {
  // Open without a name asks; cancelled, it answers false and leaves the project as it was.
  Module->SetText(QStringLiteral("before"));
  Chosen.clear();
  EXPECT_EQ(Run(QStringLiteral("Out.Put(Open(''));")), QString());
  EXPECT_EQ(Out.Values, QStringList{"false"});
  EXPECT_EQ(Module->GetText(), QStringLiteral("before"));

  EXPECT_EQ(Run(QStringLiteral("Editor.Clear(); Editor.AddSection('index.html'); Editor.AddH1('Hi');\n"
                               "Save('%1'); Build();").arg(Path("site/site.iklproj"))),
            QString());
  EXPECT_EQ(Module->FileName(), Path("site/site.iklproj"));
  EXPECT_FALSE(Module->IsModified());
  QFile page(Path("site/html/index.html"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("Hi"));

  EXPECT_EQ(Run(QStringLiteral("Out.Put(Open('%1'));").arg(Path("site/site.iklproj"))), QString());
  EXPECT_EQ(Out.Values.last(), QStringLiteral("true"));

  // Failures: the message the window would have shown, and nothing after runs.
  const QString missing = Path("none.iklproj");
  EXPECT_TRUE(Run(QStringLiteral("Open('%1');\nOut.Put('after');").arg(missing)).startsWith(QStringLiteral("Cannot open file")));
  EXPECT_EQ(Script.GetError().Line, 0u);
  EXPECT_NE(Out.Values.last(), QStringLiteral("after"));
  // A generator problem: its report as the window shows it, with the project's line.
  EXPECT_TRUE(Run(QStringLiteral("Editor.Text = '[index.html';\nBuild();")).startsWith(QStringLiteral("site.iklproj:1: ")))
      << Script.GetError().Description.toStdString();
  EXPECT_EQ(Script.GetError().Line, 1u);
}

#include "test_ObjectModel.moc"
