// The template editor on a project's theme copy, run by the real module offscreen.

#include "MainWindowFixture.h"
#include "project/EditorSearch.h"
#include "project/SearchSettings.h"
#include "services/TemplateEditor.h"

#include <Qsci/qscilexercss.h>

#include <QStatusBar>

namespace {

class TemplateEditor : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    for (const char* name : {"index.php", "about.html", "style.css", "header.inc", "page.HTML"})
      Write(QStringLiteral("site/template/") + QLatin1String(name), QByteArray("<p>") + name + "</p>");
    Write(QStringLiteral("site/template/logo.png"), "PNG");
    Write(QStringLiteral("site/site.iklproj"), Project("[index.html]"));
    Start(Path(QStringLiteral("site/site.iklproj")));
    Errors.clear();
    Module->ShowError = [this](const QString& message) { Errors.append(message); };
  }
  // Runs body on the template editor, which stays open as long as body runs.
  void Edit(const std::function<void(TTemplateEditForm*)>& body) {
    RunDialog = [&](QDialog* dialog) {
      body(qobject_cast<TTemplateEditForm*>(dialog));
      return dialog->result();
    };
    Module->Action(QStringLiteral("TemplateEditAction"))->trigger();
    RunDialog = nullptr;
  }
  QByteArray Read(const char* name) const {
    QFile file(Path(QStringLiteral("site/template/")) + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  static void Choose(TTemplateEditForm* form, const char* name) {
    form->FileListView()->setCurrentItem(form->FileListView()->findItems(QLatin1String(name), Qt::MatchExactly).value(0));
  }
  static void Type(TTemplateEditForm* form, const QString& text) {
    form->Editor()->SendScintilla(QsciScintilla::SCI_DOCUMENTSTART);
    form->Editor()->insert(text);
  }
  QStringList Errors;
};

}  // namespace

TEST_F(TemplateEditor, ListsLoadsAndWritesBackOnSwitchAndClose) {
  Edit([&](TTemplateEditForm* form) {
    QStringList listed;
    for (int i = 0; i < form->FileListView()->count(); ++i) listed.append(form->FileListView()->item(i)->text());
    EXPECT_EQ(listed, (QStringList{"about.html", "header.inc", "index.php", "page.HTML", "style.css"}));
    EXPECT_EQ(form->CurrentFile(), QStringLiteral("index.php"));  // the index template first
    EXPECT_EQ(form->Editor()->text(), QStringLiteral("<p>index.php</p>"));
    Type(form, QStringLiteral("edited "));
    Choose(form, "about.html");
    EXPECT_EQ(Read("index.php"), QByteArray("edited <p>index.php</p>"));
    Choose(form, "style.css");  // about.html unchanged: not written
    EXPECT_NE(qobject_cast<QsciLexerCSS*>(form->Editor()->lexer()), nullptr);
    Type(form, QStringLiteral("body{color:#123} \u00e9 \u0416 "));
    form->accept();
  });
  EXPECT_EQ(Read("style.css"), QByteArray("body{color:#123} ? \xC6 <p>style.css</p>"));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(TemplateEditor, AFileThatCannotBeWrittenKeepsItsTextAndTheWindow) {
  Edit([&](TTemplateEditForm* form) {
    Choose(form, "about.html");
    Type(form, QStringLiteral("precious "));
    // A folder where the file was: writing it fails (as root, permissions would not).
    QFile::remove(Path(QStringLiteral("site/template/about.html")));
    QDir().mkpath(Path(QStringLiteral("site/template/about.html")));
    Answer = QMessageBox::Yes;  // the file is gone from disk: yes, write the editor's text
    Choose(form, "header.inc");
    EXPECT_EQ(Errors.size(), 1);
    EXPECT_EQ(form->CurrentFile(), QStringLiteral("about.html"));
    EXPECT_EQ(form->FileListView()->currentItem()->text(), QStringLiteral("about.html"));
    EXPECT_TRUE(form->Editor()->text().startsWith(QStringLiteral("precious ")));
    QStringList closeQuestions;
    int closeAnswer = QMessageBox::No;
    Module->AskYesNo = [&](const QString&, const QString& text) {
      closeQuestions.append(text);
      return closeAnswer;
    };
    form->accept();  // closing tries again, fails again, asks, and No keeps the window
    EXPECT_EQ(Errors.size(), 2);
    EXPECT_EQ(closeQuestions.size(), 1);
    EXPECT_NE(form->result(), QDialog::Accepted);
    QDir().rmdir(Path(QStringLiteral("site/template/about.html")));
    form->Action(QStringLiteral("SaveAction"))->trigger();  // Save writes and keeps the undo history
    EXPECT_EQ(Read("about.html"), QByteArray("precious <p>about.html</p>"));
    EXPECT_FALSE(form->Editor()->isModified());
    EXPECT_TRUE(form->Editor()->isUndoAvailable());
    Type(form, QStringLiteral("lost "));
    QFile::remove(Path(QStringLiteral("site/template/about.html")));
    QDir().mkpath(Path(QStringLiteral("site/template/about.html")));
    closeAnswer = QMessageBox::Yes;  // a file that stays unwritable: the user may still close
    form->accept();
    EXPECT_EQ(closeQuestions.size(), 2);
    EXPECT_EQ(form->result(), QDialog::Accepted);
  });
  EXPECT_TRUE(QFileInfo(Path(QStringLiteral("site/template/about.html"))).isDir());
}

TEST_F(TemplateEditor, AFileChangedByAnotherProgramIsNotOverwrittenSilently) {
  const struct {
    int Answer;
    const char* OnDisk;
    bool Switched;
  } cases[] = {{QMessageBox::Cancel, "theirs", false}, {QMessageBox::No, "theirs", true}, {QMessageBox::Yes, "mine <p>about.html</p>", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Answer);
    Write(QStringLiteral("site/template/about.html"), "<p>about.html</p>");
    Questions.clear();
    Answer = c.Answer;
    Edit([&](TTemplateEditForm* form) {
      Choose(form, "about.html");
      Type(form, QStringLiteral("mine "));
      Write(QStringLiteral("site/template/about.html"), "theirs");
      Choose(form, "style.css");
      EXPECT_EQ(Questions.size(), 1);
      EXPECT_EQ(form->CurrentFile() == QStringLiteral("style.css"), c.Switched);
      Answer = QMessageBox::No;
      form->accept();
    });
    EXPECT_EQ(Read("about.html"), QByteArray(c.OnDisk));
  }
}

// The editor stops at a NUL character: what it shows of such a file must never replace the file.
TEST_F(TemplateEditor, AFileTheEditorCannotShowWholeIsReadOnlyAndNeverWritten) {
  const struct {
    const char* Name;
    QByteArray Bytes;
  } cases[] = {{"nul.html", QByteArray("abc\0def", 7)}, {"wide.html", QByteArray("<\0p\0>\0x\0", 8)}};
  for (const auto& c : cases) Write(QStringLiteral("site/template/") + QLatin1String(c.Name), c.Bytes);
  Edit([&](TTemplateEditForm* form) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Name);
      Choose(form, c.Name);
      EXPECT_TRUE(form->Editor()->isReadOnly());
      EXPECT_TRUE(form->findChild<QStatusBar*>()->currentMessage().contains(QLatin1String(c.Name)));
      Type(form, QStringLiteral("X"));
      QTest::keyClicks(form->Editor(), QStringLiteral("Y"));
      EXPECT_FALSE(form->Action(QStringLiteral("SaveAction"))->isEnabled());
    }
    Choose(form, "about.html");  // a whole file is editable again
    EXPECT_FALSE(form->Editor()->isReadOnly());
    EXPECT_TRUE(form->findChild<QStatusBar*>()->currentMessage().isEmpty());
    Choose(form, "nul.html");
    form->accept();
  });
  for (const auto& c : cases) EXPECT_EQ(Read(c.Name), c.Bytes) << c.Name;
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

TEST_F(TemplateEditor, SearchesWithSettingsOfItsOwn) {
  Module->Search()->Settings().SearchText = QStringLiteral("main window's");
  Edit([&](TTemplateEditForm* form) {
    EXPECT_FALSE(form->Search()->Settings().SearchTextAtCaret);
    form->Search()->Settings().SearchText = QStringLiteral("index");
    form->Search()->RunSearch(false, false);
    EXPECT_EQ(form->Editor()->selectedText(), QStringLiteral("index"));
    form->accept();
  });
  EXPECT_EQ(Module->Search()->Settings().SearchText, QStringLiteral("main window's"));
  Edit([&](TTemplateEditForm* form) {  // kept while the program runs
    EXPECT_EQ(form->Search()->Settings().SearchText, QStringLiteral("index"));
    form->reject();
  });
}

TEST_F(TemplateEditor, AnUntitledProjectHasNoTemplateFolderOfItsOwn) {
  Stop();
  Write(QStringLiteral("template/index.html"), "in the folder the program started from");
  QDir::setCurrent(Path(QString()));
  Start();
  Edit([&](TTemplateEditForm* form) {
    EXPECT_EQ(form->FileListView()->count(), 0);
    form->UpdateActions();
    EXPECT_TRUE(form->Editor()->isReadOnly());
    EXPECT_FALSE(form->Action(QStringLiteral("FindAction"))->isEnabled());
    EXPECT_FALSE(form->Action(QStringLiteral("FilesAction"))->isEnabled());  // no folder to show
    form->accept();
  });
}

TEST_F(TemplateEditor, AStyleChangedInTheEditorShowsInTheNextPreview) {
  const auto colorAfter = [&](const char* css) {
    Edit([&](TTemplateEditForm* form) {
      Choose(form, "about.html");  // the page's template: the first page template by name
      form->Editor()->setText(QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>{content}</body></html>"));
      Choose(form, "style.css");
      form->Editor()->setText(QLatin1String(css));
      form->accept();
    });
    QString color;
    InPreview([] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); }, [&](TBrowserForm* form) {
      color = EvaluateInPage(form->Browser()->page(), QStringLiteral("getComputedStyle(document.body).color")).toString();
    });
    return color;
  };
  EXPECT_EQ(colorAfter("body{color:#010203}"), QStringLiteral("rgb(1, 2, 3)"));
  EXPECT_EQ(colorAfter("body{color:#040506}"), QStringLiteral("rgb(4, 5, 6)"));  // not an old copy
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}
