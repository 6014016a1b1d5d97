// The script window on the real module and main window, offscreen.

#include "MainWindowFixture.h"
#include "automation/ScriptEditor.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <Qsci/qsciscintilla.h>
#include "project/EditorSearch.h"
#include "project/SearchSettings.h"

namespace {

class ScriptEditor : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Start();
    Module->ShowError = [this](const QString& message) { Errors.append(message); };
  }
  // Runs body on the script window while it is open.
  void Automate(const std::function<void(TScriptEditForm*)>& body) {
    RunDialog = [&](QDialog* dialog) {
      auto* form = qobject_cast<TScriptEditForm*>(dialog);
      form->ShowRunError = [this](const QString& text) { RunErrors.append(text); };
      body(form);
      return dialog->result();
    };
    Module->Action(QStringLiteral("AutomateAction"))->trigger();
    RunDialog = nullptr;
  }
  static int CaretLine(TScriptEditForm* form) {
    int line = -1, index = -1;
    form->Editor()->getCursorPosition(&line, &index);
    return line;
  }
  QByteArray Read(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  QStringList Errors;
  QStringList RunErrors;
};

}  // namespace

TEST_F(ScriptEditor, ARunChangesTheProjectAndAnErrorShowsItsLine) {
  Automate([&](TScriptEditForm* form) {
    form->Editor()->setText(QStringLiteral("Editor.AddH1('Test');\r\nEditor.Writeln('[page.html]');"));
    form->CmRun();
    EXPECT_TRUE(RunErrors.isEmpty()) << RunErrors.join(u'\n').toStdString();
    form->Editor()->setText(QStringLiteral("var a = 1;\r\nvar b = 2;\r\n  noSuchFunction();\r\n"));
    form->CmRun();
    ASSERT_EQ(RunErrors.size(), 1);
    EXPECT_TRUE(RunErrors[0].startsWith(QStringLiteral("\u041e\u0448\u0438\u0431\u043a\u0430 \""))) << RunErrors[0].toStdString();
    EXPECT_TRUE(RunErrors[0].endsWith(QStringLiteral("\" \u0432 \u0441\u0442\u0440\u043e\u043a\u0435 3"))) << RunErrors[0].toStdString();
    EXPECT_EQ(CaretLine(form), 2);
    EXPECT_EQ(form->Editor()->selectedText(), QStringLiteral("  noSuchFunction();"));  // the whole line
    EXPECT_EQ(form->Editor()->text(), QStringLiteral("var a = 1;\r\nvar b = 2;\r\n  noSuchFunction();\r\n"));  // untouched
    form->Editor()->setModified(false);
    form->accept();
  });
  EXPECT_TRUE(Module->GetText().startsWith(QStringLiteral("= Test"))) << Module->GetText().toStdString();
  Idle();
  EXPECT_EQ(MainForm->ContentListView()->count(), 2);  // the section list followed
}

// The panel under the script: its console, then how the run ended, in the window's language;
// a missing member named as the object model names it.
TEST_F(ScriptEditor, ThePanelShowsTheConsoleAndHowEachRunEnded) {
  const struct {
    const char* Script;
    const char* Output;  // all but the last line
    const char* End;     // the last line, a pattern
  } cases[] = {
      {"console.log('a', 1);\r\nconsole.info('b'); console.warn('c'); console.error('d');", "a 1\nb\nc\nd\n",
       "^\u0412\u044b\u043f\u043e\u043b\u043d\u0435\u043d\u043e \u0437\u0430 \\d+ \u043c\u0441$"},
      {"console.log('x');\r\nEditor.Frobnicate();", "x\n",
       "^\u041e\u0448\u0438\u0431\u043a\u0430 \"\u0423 \u043e\u0431\u044a\u0435\u043a\u0442\u0430 Editor "
       "\u043d\u0435\u0442 \u0447\u043b\u0435\u043d\u0430 Frobnicate\" \u0432 \u0441\u0442\u0440\u043e\u043a\u0435 2$"},
      {"var t = Editor.New();\r\n\r\nt.Nope();", "", "Editor \u043d\u0435\u0442 \u0447\u043b\u0435\u043d\u0430 Nope\" \u0432 \u0441\u0442\u0440\u043e\u043a\u0435 3$"},
      {"Settings.Zap();", "", "Settings \u043d\u0435\u0442 \u0447\u043b\u0435\u043d\u0430 Zap\""},
  };
  Automate([&](TScriptEditForm* form) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Script);
      RunErrors.clear();
      form->Editor()->setText(QString::fromUtf8(c.Script));
      form->CmRun();
      QString output = form->OutputPanel()->toPlainText();
      const QString end = output.mid(output.lastIndexOf(u'\n') + 1);
      output.chop(end.size());
      EXPECT_EQ(output, QString::fromUtf8(c.Output));
      EXPECT_TRUE(QRegularExpression(QString::fromUtf8(c.End)).match(end).hasMatch()) << end.toStdString();
      EXPECT_EQ(RunErrors.value(0, end), end);
    }
    form->Editor()->setModified(false);
    form->accept();
  });
}

// One Ctrl+Z takes back all a run wrote; the close question names the script.
TEST_F(ScriptEditor, ARunIsOneUndoStepAndTheCloseQuestionNamesTheScript) {
  Module->GetEditor()->setText(QStringLiteral("[index.html]\r\n"));
  Module->GetEditor()->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
  Automate([&](TScriptEditForm* form) {
    form->Editor()->setText(QStringLiteral("Editor.AddH1('a');\r\nEditor.AddP('b');\r\nEditor.SetLine(0, '[other.html]');"));
    form->CmRun();
    EXPECT_TRUE(RunErrors.isEmpty()) << RunErrors.join(u'\n').toStdString();
    Answer = QMessageBox::No;
    form->reject();
  });
  ASSERT_EQ(Questions.size(), 1);
  EXPECT_TRUE(Questions[0].contains(QStringLiteral("\u0441\u0446\u0435\u043d\u0430\u0440\u0438\u0438 \u00ab"
                                                   "\u0411\u0435\u0437 \u043d\u0430\u0437\u0432\u0430\u043d\u0438\u044f\u00bb?")))
      << Questions[0].toStdString();
  EXPECT_TRUE(Module->GetText().startsWith(QStringLiteral("[other.html]\r\n= a"))) << Module->GetText().toStdString();
  Module->GetEditor()->undo();
  EXPECT_EQ(Module->GetText(), QStringLiteral("[index.html]\r\n"));
}

TEST_F(ScriptEditor, AScriptThatNeverEndsIsStopped) {
  Automate([&](TScriptEditForm* form) {
    form->RunLimit = std::chrono::milliseconds(500);
    // A loop of its own, and one around a member that lets pending events through.
    for (const char* loop : {"while (true) {}", "while (true) Build();"}) {
      RunErrors.clear();
      form->Editor()->setText(QStringLiteral("Editor.Writeln('before');\r\n%1\r\n").arg(QLatin1String(loop)));
      form->CmRun();
      ASSERT_EQ(RunErrors.size(), 1) << loop;
      EXPECT_TRUE(RunErrors[0].contains(QStringLiteral("0"))) << RunErrors[0].toStdString();
      EXPECT_TRUE(RunErrors[0].contains(QStringLiteral("\u043e\u0441\u0442\u0430\u043d\u043e\u0432\u043b\u0435\u043d"))) << RunErrors[0].toStdString();
    }
    form->Editor()->setModified(false);
    form->accept();
  });
  EXPECT_TRUE(Module->GetText().startsWith(QStringLiteral("before")));
}

TEST_F(ScriptEditor, ScriptsAreOpenedSavedAndRememberedAndAskBeforeChangesGo) {
  Write(QStringLiteral("a.js"), "Editor.AddH2('from a');\n");
  Automate([&](TScriptEditForm* form) {
    EXPECT_TRUE(form->FileName().isEmpty());
    form->OpenScript(Path(QStringLiteral("a.js")));
    EXPECT_EQ(form->Editor()->text(), QStringLiteral("Editor.AddH2('from a');\n"));
    form->Editor()->append(QStringLiteral("// more\n"));
    Chosen = Path(QStringLiteral("b.js"));  // Save... asks where, even with a name
    EXPECT_TRUE(form->CmSave());
    EXPECT_EQ(form->FileName(), Path(QStringLiteral("b.js")));
    form->Editor()->append(QStringLiteral("x"));
    Answer = QMessageBox::Cancel;
    constexpr int kUnchanged = 42;
    form->setResult(kUnchanged);
    form->reject();  // unsaved: asked, and Cancel keeps the window
    EXPECT_EQ(Questions.size(), 1);
    EXPECT_EQ(form->result(), kUnchanged);
    Answer = QMessageBox::No;
    form->reject();
  });
  QFile saved(Path(QStringLiteral("b.js")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("Editor.AddH2('from a');\n// more\n"));
  Automate([&](TScriptEditForm* form) {  // the recent script opens with the window
    EXPECT_EQ(form->FileName(), Path(QStringLiteral("b.js")));
    form->reject();
  });
}

// After New, or an Open that failed, the text shown is no longer the old file's: saving it must
// ask where, and opening the old file must read it again.
TEST_F(ScriptEditor, NewAndAFailedOpenLeaveNoFileNameBehind) {
  Write(QStringLiteral("a.js"), "Editor.AddH2('from a');\n");
  const std::function<void(TScriptEditForm*)> steps[] = {
      [](TScriptEditForm* form) { form->CmNew(); },
      [this](TScriptEditForm* form) { form->OpenScript(Path(QStringLiteral("missing.js"))); }};
  Automate([&](TScriptEditForm* form) {
    for (size_t i = 0; i < std::size(steps); ++i) {
      SCOPED_TRACE(i);
      form->OpenScript(Path(QStringLiteral("a.js")));
      EXPECT_EQ(form->Editor()->text(), QStringLiteral("Editor.AddH2('from a');\n"));
      steps[i](form);
      EXPECT_TRUE(form->FileName().isEmpty());
      form->Editor()->setText(QStringLiteral("// new %1\n").arg(i));
      Answer = QMessageBox::Yes;
      Chosen = Path(QStringLiteral("new%1.js").arg(i));
      form->CmNew();  // asks to save, and where
      EXPECT_EQ(Read(QStringLiteral("new%1.js").arg(i)), QStringLiteral("// new %1\n").arg(i).toUtf8());
    }
    form->reject();
  });
  EXPECT_EQ(Read(QStringLiteral("a.js")), QByteArray("Editor.AddH2('from a');\n"));
  EXPECT_EQ(Errors.size(), 1);  // missing.js
}

TEST_F(ScriptEditor, SearchesWithSettingsOfItsOwn) {
  Module->Search()->Settings().SearchText = QStringLiteral("main");
  Automate([&](TScriptEditForm* form) {
    EXPECT_TRUE(form->Search()->Settings().SearchText.isEmpty());
    EXPECT_FALSE(form->Search()->Settings().SearchTextAtCaret);
    form->Editor()->setText(QStringLiteral("Editor.Clear();"));
    form->Search()->Settings().SearchText = QStringLiteral("Clear");
    form->Search()->RunSearch(false, false);
    EXPECT_EQ(form->Editor()->selectedText(), QStringLiteral("Clear"));
    form->Editor()->setModified(false);
    form->reject();
  });
  EXPECT_EQ(Module->Search()->Settings().SearchText, QStringLiteral("main"));
}
