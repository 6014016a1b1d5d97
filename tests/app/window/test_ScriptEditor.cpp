// The script window on the real module and main window, offscreen.

#include "MainWindowFixture.h"
#include "automation/ScriptEditor.h"
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
    EXPECT_TRUE(RunErrors[0].startsWith(QStringLiteral("Error \""))) << RunErrors[0].toStdString();
    EXPECT_TRUE(RunErrors[0].endsWith(QStringLiteral("\" in line:3"))) << RunErrors[0].toStdString();
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
