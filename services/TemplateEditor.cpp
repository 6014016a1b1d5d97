#include "services/TemplateEditor.h"

#include "app/CommandIcons.h"
#include "app/Model.h"
#include "project/SearchSettings.h"
#include "services/Action.h"
#include "services/LocalStrings.h"

#include <Qsci/qscilexercss.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSplitter>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The template editor's search settings: kept while the program runs, shared by every opening
// of the window, never stored.
TSearchSettings& TemplateSearchSettings() {
  static TSearchSettings settings;
  return settings;
}

// The template folder of a named project; an untitled one has none of its own.
QString TemplateFolder() { return Module->FileName().isEmpty() ? QString() : Module->GetTemplateFolder(); }

}  // namespace

TTemplateEditForm::TTemplateEditForm(QWidget* parent)
    : TEditorWindow(parent, QStringLiteral("TemplateEditForm"), QStringLiteral("TemplateEditorPosition"),
                    TemplateSearchSettings()),
      Folder(TemplateFolder()) {
  setWindowTitle(QStringLiteral("Template Editor"));
  Toolbar->setObjectName(QStringLiteral("TemplateToolbar"));
  auto* split = new QSplitter(this);
  auto* panel = new QWidget(split);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel(QStringLiteral("Template Files"), panel);
  caption->setObjectName(QStringLiteral("FilesPanel"));
  caption->setMargin(3);
  layout->addWidget(caption);
  FileList = new QListWidget(panel);
  FileList->setObjectName(QStringLiteral("FileListView"));
  FileList->setFrameShape(QFrame::NoFrame);
  layout->addWidget(FileList);
  split->addWidget(panel);
  split->addWidget(TextEditor);
  split->setStretchFactor(1, 1);
  split->setSizes({175, 465});
  SetCentralWidget(split);
  CreateActions();
  FinishCreate({"FilesAction", "-", "SitePreviewAction", "PreviewAction", "-", "UndoAction", "RedoAction", "-", "CutAction", "CopyAction",
                "PasteAction", "DeleteAction", "-", "FindAction", "FindNextAction", "ReplaceAction"},
               {"UndoAction", "RedoAction", "-", "CutAction", "CopyAction", "PasteAction", "DeleteAction",
                "SelectAllAction", "-", "FindAction", "FindNextAction", "ReplaceAction"});
  connect(FileList, &QListWidget::currentRowChanged, this, &TTemplateEditForm::FileListViewSelectItem);
  FormCreate();
}

void TTemplateEditForm::CreateActions() {
  auto open = [this] { return !Current.isEmpty(); };
  AddAction("FilesAction", QStringLiteral("Files..."), QKeySequence(), QStringLiteral("folder-open"),
            [this] { OpenWithSystem(Folder); }, [this] { return !Folder.isEmpty() && QDir(Folder).exists(); });
  // The file in another program; the site's preview is SitePreviewAction, as in the main window.
  AddAction("PreviewAction", QStringLiteral("Open in Another Program"), QKeySequence(), QStringLiteral("document-open"),
            [this] { OpenWithSystem(Folder + Current); }, open);
  AddAction("SitePreviewAction", QStringLiteral("Preview Site"), QKeySequence(Qt::Key_F9), QStringLiteral("document-print-preview"),
            [this] { PreviewSite(); }, [] { return true; });
  AddAction("SaveAction", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), QString(),
            [this] { CmSave(); }, [this] { return HasChanges(); });
  AddAction("NewAction", QStringLiteral("New..."), QKeySequence(), QString(), [] {}, [] { return false; });
  AddAction("RemoveAction", QStringLiteral("Remove"), QKeySequence(), QString(), [] {}, [] { return false; });
  AddEditingActions(open);
}

void TTemplateEditForm::UpdateActions() {
  TEditorWindow::UpdateActions();
  TextEditor->setReadOnly(Current.isEmpty() || !ShownWhole);
}

void TTemplateEditForm::FormCreate() {
  const QStringList names = TTemplateFiles::List(Folder);
  FileList->setUpdatesEnabled(false);
  for (const QString& name : names) {
    const bool page = TTemplateFiles::KindOf(name) == tfPage;
    new QListWidgetItem(CommandIcon(page ? QStringLiteral("text-html") : QStringLiteral("text-x-generic"),
                                    page ? QStringLiteral("P") : QStringLiteral("S")),
                        name, FileList);
  }
  FileList->setUpdatesEnabled(true);
  UpdateActions();
  FileList->setCurrentRow(TTemplateFiles::StartIndex(names));
}

void TTemplateEditForm::FileListViewSelectItem(int row) {
  const QString name = row >= 0 ? FileList->item(row)->text() : QString();
  if (name == Current) return;
  if (!SaveCurrentFile() || !OpenFile(name)) {
    // The shown file stays shown, and so does its entry.
    const QSignalBlocker block(FileList);
    FileList->setCurrentItem(FileList->findItems(Current, Qt::MatchExactly).value(0));
  }
  UpdateActions();
}

bool TTemplateEditForm::OpenFile(const QString& name) {
  if (name.isEmpty()) return true;
  try {
    Loaded = TTemplateFiles::Read(Folder + name);
  } catch (const std::exception& error) {
    Module->ShowError(QString::fromUtf8(error.what()));
    return false;
  }
  ChooseLexer(name);
  TextEditor->setReadOnly(false);
  TextEditor->setText(Loaded.Text);
  NoteWholeness(name);
  TextEditor->setModified(false);
  TextEditor->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
  Current = name;
  return true;
}

// The editor stops at a NUL character, so such a file would be written back cut short.
void TTemplateEditForm::NoteWholeness(const QString& name) {
  const bool wasWhole = ShownWhole;
  ShownWhole = TextEditor->text() == Loaded.Text;
  if (!ShownWhole)
    ShowStatus(FormatText(Text("NotShownWhole"), {name}));
  else if (!wasWhole)
    ShowStatus(QString());
}

bool TTemplateEditForm::HasChanges() const { return !Current.isEmpty() && ShownWhole && TextEditor->isModified(); }

bool TTemplateEditForm::SaveCurrentFile() {
  WriteFailed = false;
  const int choice = HasChanges() ? WhoseText() : QMessageBox::No;
  if (choice == QMessageBox::Cancel) return false;
  if (choice == QMessageBox::Yes && !WriteCurrentFile()) return false;
  TextEditor->setModified(false);
  Current.clear();
  return true;
}

bool TTemplateEditForm::WriteCurrentFile() {
  Loaded.Text = TextEditor->text();
  int missing = 0;
  try {
    Loaded.Digest = TTemplateFiles::Write(Folder + Current, Loaded, &missing);
  } catch (const std::exception& error) {
    WriteFailed = true;
    Module->ShowError(QString::fromUtf8(error.what()));
    return false;
  }
  if (missing > 0) ShowStatus(FormatText(Text("CharactersReplaced"), {QString::number(missing)}));
  return true;
}

// The file at hand is written first, so that the preview, shown above this window, has it.
void TTemplateEditForm::PreviewSite() {
  if (HasChanges()) CmSave();
  if (!HasChanges()) Module->Action(QStringLiteral("PreviewAction"))->Execute();
}

void TTemplateEditForm::CmSave() {
  const int choice = WhoseText();
  if (choice == QMessageBox::No) OpenFile(Current);  // the other program's text is shown instead
  if (choice == QMessageBox::Yes && WriteCurrentFile()) TextEditor->setModified(false);
  UpdateActions();
}

// After a failed write the user may still close, leaving the file as it is on disk: a file that
// stays unwritable would otherwise hold the window open for good.
bool TTemplateEditForm::DropUnwritableText() {
  return WriteFailed && Module->AskYesNo(windowTitle(), FormatText(Text("CloseUnwritten"), {Current})) == QMessageBox::Yes;
}

// Yes: the editor's text is written. When another program changed the file since it was
// opened, the user decides: No keeps that program's text, Cancel keeps both as they are.
int TTemplateEditForm::WhoseText() {
  if (TTemplateFiles::DigestOf(Folder + Current) == Loaded.Digest) return QMessageBox::Yes;
  const int answer = Module->AskYesNoCancel(windowTitle(), FormatText(Text("ChangedOnDisk"), {Current}));
  return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer : QMessageBox::Cancel;
}

void TTemplateEditForm::ChooseLexer(const QString& name) {
  QsciLexer* lexer = nullptr;
  if (name.endsWith(QStringLiteral(".css"), Qt::CaseInsensitive)) {
    lexer = new QsciLexerCSS(TextEditor);
  } else {
    auto* html = new QsciLexerHTML(TextEditor);  // colours embedded PHP too
    html->setColor(Qt::blue, QsciLexerHTML::Entity);
    html->setColor(Qt::blue, QsciLexerHTML::Tag);
    lexer = html;
  }
  lexer->setDefaultFont(TextEditor->font());
  QsciLexer* old = TextEditor->lexer();
  TextEditor->setLexer(lexer);
  delete old;
}

void TTemplateEditForm::OpenWithSystem(const QString& path) {
  if (path.isEmpty() || QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
  Module->ShowError(FormatText(Module->GetString(QStringLiteral("NoHandler")), {path}));
}

// Closing writes the shown file back; a file that cannot be written keeps the window open unless
// the user chooses to lose the changes.
void TTemplateEditForm::done(int result) {
  if (!SaveCurrentFile() && !DropUnwritableText()) return;
  SavePlacement();
  TEditorWindow::done(result);
}
