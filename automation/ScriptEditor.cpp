#include "automation/ScriptEditor.h"

#include "app/LocalFileModel.h"
#include "app/Model.h"
#include "automation/ApplicationScript.h"
#include "automation/ScriptFile.h"
#include "automation/ScriptWatchdog.h"
#include "generator/InkloomError.h"
#include "project/SearchSettings.h"
#include "services/Action.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"
#include "services/WidgetTextAdapter.h"

#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qsciscintilla.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSplitter>
#include <QToolBar>

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kRecent = QStringLiteral("RecentScriptFileName");

// The script window's search settings: kept while the program runs, apart from the main window's.
TSearchSettings& ScriptSearchSettings() {
  static TSearchSettings settings;
  return settings;
}

// While it lives, what the script's console says (the engine's messages of the category "js")
// goes to show; the program's own messages pass on as ever.
class TConsoleCapture {
 public:
  explicit TConsoleCapture(std::function<void(const QString&)> show) {
    Show = std::move(show);
    Previous = qInstallMessageHandler(Capture);
  }
  ~TConsoleCapture() {
    qInstallMessageHandler(Previous);
    Show = nullptr;
  }
  TConsoleCapture(const TConsoleCapture&) = delete;
  TConsoleCapture& operator=(const TConsoleCapture&) = delete;

 private:
  static inline std::function<void(const QString&)> Show;
  static inline QtMessageHandler Previous = nullptr;

  static void Capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (Show && qstrcmp(context.category, "js") == 0) return Show(message);
    if (Previous) Previous(type, context, message);
  }
};

QsciLexer* NewLexer(QsciScintilla* editor) {
  auto* lexer = new QsciLexerJavaScript(editor);
  lexer->setDefaultFont(editor->font());
  for (int style : {QsciLexerJavaScript::Comment, QsciLexerJavaScript::CommentLine, QsciLexerJavaScript::CommentDoc})
    lexer->setColor(Qt::gray, style);
  for (int style : {QsciLexerJavaScript::DoubleQuotedString, QsciLexerJavaScript::SingleQuotedString})
    lexer->setColor(QColor(0, 0, 128), style);
  return lexer;
}

}  // namespace

TScriptEditForm::TScriptEditForm(QWidget* parent)
    : TEditorWindow(parent, QStringLiteral("ScriptEditForm"), QStringLiteral("ScriptEditorPosition"), ScriptSearchSettings()) {
  setWindowTitle(QStringLiteral("Automate"));
  Toolbar->setObjectName(QStringLiteral("ScriptToolbar"));
  Toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  TextEditor->setLexer(NewLexer(TextEditor));
  CreateOutput();
  OpenDialog = AddDialog("OpenDialog", QStringLiteral("Open Script"));
  SaveDialog = AddDialog("SaveDialog", QStringLiteral("Save Script"));
  CreateActions();
  FinishCreate({"NewAction", "OpenAction", "SaveAction", "-", "RunAction", "-", "UndoAction", "RedoAction", "-",
                "CutAction", "CopyAction", "PasteAction", "DeleteAction", "-", "FindAction", "FindNextAction",
                "ReplaceAction"},
               {"UndoAction", "RedoAction", "-", "CutAction", "CopyAction", "PasteAction", "DeleteAction",
                "SelectAllAction", "-", "FindAction", "FindNextAction", "ReplaceAction"});
  ShowRunError = [this](const QString& text) { QMessageBox::critical(this, Text("ErrorTitle"), text); };
  OpenScript(Module->Config()->ReadString(kGeneral, kRecent, QString()));
}

// The panel under the script's text: what the script's console says, then how the run ended.
void TScriptEditForm::CreateOutput() {
  Output = new QPlainTextEdit(this);
  Output->setObjectName(QStringLiteral("ScriptOutput"));
  Output->setReadOnly(true);
  Output->setFont(TextEditor->font());
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(TextEditor);
  split->addWidget(Output);
  split->setStretchFactor(0, kTextShare);
  split->setStretchFactor(1, 1);
  SetCentralWidget(split);
}

QObject* TScriptEditForm::AddDialog(const char* name, const QString& title) {
  auto* texts = new QObject(this);
  texts->setObjectName(QLatin1String(name));
  texts->setProperty("Title", title);
  texts->setProperty("Filter", QStringLiteral("Script Files (*.js)|*.JS|All Files (*.*)|*.*"));
  texts->setProperty("DefaultExt", QStringLiteral(".js"));
  return texts;
}

void TScriptEditForm::CreateActions() {
  using K = QKeySequence;
  AddAction("NewAction", QStringLiteral("New"), K(), QStringLiteral("document-new"), [this] { CmNew(); });
  AddAction("OpenAction", QStringLiteral("Open..."), K(Qt::CTRL | Qt::Key_O), QStringLiteral("document-open"),
            [this] { CmOpen(); });
  AddAction("SaveAction", QStringLiteral("Save..."), K(Qt::CTRL | Qt::Key_S), QStringLiteral("document-save"),
            [this] { CmSave(); }, [this] { return TextEditor->isModified(); });
  AddAction("RunAction", QStringLiteral("Run"), K(Qt::Key_F9), QStringLiteral("media-playback-start"), [this] { CmRun(); });
  AddEditingActions([] { return true; });
}

QString TScriptEditForm::ChooseScript(QObject* texts, bool save) {
  QFileDialog dialog(this, texts->property("Title").toString());
  TLocalFileModel::Install(dialog, Module->GetString(QStringLiteral("FolderType")));  // sizes, dates, "Folder"
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(TWidgetTextAdapter::NameFilters(texts->property("Filter").toString()));
  dialog.setDefaultSuffix(QStringLiteral("js"));
  if (!CurrentFile.isEmpty()) dialog.selectFile(CurrentFile);
  return Module->ChooseFile(&dialog);
}

bool TScriptEditForm::QuerySaveChanges() {
  if (!TextEditor->isModified()) return true;
  const QString name = CurrentFile.isEmpty() ? Text("Untitled") : CurrentFile;
  switch (Module->AskYesNoCancel(Text("Title"), FormatText(Text("SaveScriptChanges"), {name}))) {
    case QMessageBox::Yes:
      if (!SaveTo(CurrentFile)) return false;
      break;
    case QMessageBox::No: break;
    default: return false;
  }
  CurrentFile.clear();
  return true;
}

// The new script has no file yet: a name kept from the old one would have it saved over that
// file without a question.
void TScriptEditForm::CmNew() {
  if (!QuerySaveChanges()) return;
  TextEditor->clear();
  TextEditor->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
  TextEditor->setModified(false);
  CurrentFile.clear();
}

void TScriptEditForm::CmOpen() {
  const QString name = ChooseScript(OpenDialog, false);
  if (!name.isEmpty()) OpenScript(name);
}

void TScriptEditForm::OpenScript(const QString& name) {
  if (name == CurrentFile || !QuerySaveChanges()) return;
  if (!name.isEmpty()) {
    QString text, error;
    if (!TScriptFile::Read(name, text, error)) {
      // The text shown is no longer taken for that of the old file.
      CurrentFile.clear();
      Module->ShowError(QStringLiteral("Cannot open file \"%1\". %2").arg(name, error));
      return;
    }
    TextEditor->setText(text);
    TextEditor->setModified(false);
    Module->Config()->WriteString(kGeneral, kRecent, name);
  }
  CurrentFile = name;
}

// Save... always asks where, proposing the current name.
bool TScriptEditForm::CmSave() {
  const QString name = ChooseScript(SaveDialog, true);
  return !name.isEmpty() && SaveTo(name);
}

bool TScriptEditForm::SaveTo(const QString& name) {
  const QString file = name.isEmpty() ? ChooseScript(SaveDialog, true) : name;
  if (file.isEmpty()) return false;
  const QByteArray bytes = TextEditor->text().toUtf8();
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
    Module->ShowError(QStringLiteral("Cannot write file \"%1\". %2").arg(file, out.errorString()));
    return false;
  }
  CurrentFile = file;
  Module->Config()->WriteString(kGeneral, kRecent, file);
  TextEditor->setModified(false);
  return true;
}

void TScriptEditForm::CmRun() {
  Output->clear();
  ShowStatus(FormatText(Text("Running"), {QString::number(RunLimit.count() / 1000)}));
  repaint();
  TApplicationScript script(false, Text("NoMember"));
  QElapsedTimer clock;
  clock.start();
  HRESULT result = S_OK;
  bool stopped = false;
  {
    const TConsoleCapture console([this](const QString& line) { Output->appendPlainText(line); });
    const TScriptWatchdog watchdog(RunLimit, [&script] { script.Stop(); });
    result = script.Run(TextEditor->text());
    stopped = watchdog.Fired();
  }
  ShowStatus(QString());
  if (result == S_OK)
    Output->appendPlainText(FormatText(Text("Finished"), {QString::number(clock.elapsed())}));
  else
    ReportRun(script.Error(), stopped);
}

// "Error "description" in line N" in the panel and the error box, and that line selected.
void TScriptEditForm::ReportRun(const TScriptError& error, bool stopped) {
  const int line = static_cast<int>(error.Line);
  const QString description = stopped ? FormatText(Text("ScriptStopped"), {QString::number(RunLimit.count() / 1000)})
                                      : error.Description;
  const QString message = FormatText(Text("RunError"), {description, QString::number(line + 1)});
  Output->appendPlainText(message);
  SelectLine(line);
  ShowRunError(message);
}

void TScriptEditForm::SelectLine(int line) {
  TextEditor->setCursorPosition(line, 0);
  const QString text = TextEditor->text(line);
  qsizetype end = text.size();
  while (end > 0 && (text[end - 1] == u'\n' || text[end - 1] == u'\r')) --end;
  TextEditor->setSelection(line, 0, line, static_cast<int>(end));
  TextEditor->ensureLineVisible(line);
}

void TScriptEditForm::done(int result) {
  if (!QuerySaveChanges()) return;
  SavePlacement();
  TEditorWindow::done(result);
}
