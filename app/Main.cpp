#include "app/Main.h"

#include "app/CommandIcons.h"
#include "app/MarkupLexer.h"
#include "app/RecentMenu.h"
#include "project/EditorKeys.h"
#include "project/EditorSettings.h"
#include "app/Model.h"
#include "services/Action.h"
#include "services/LocalStrings.h"

#include <Qsci/qsciscintilla.h>

#include <QCloseEvent>
#include <QDockWidget>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QToolTip>

TMainForm* MainForm = nullptr;

namespace {

void AddActions(QWidget* target, TModule* module, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (*name == '-') {
      if (auto* menu = qobject_cast<QMenu*>(target))
        menu->addSeparator();
      else if (auto* bar = qobject_cast<QToolBar*>(target))
        bar->addSeparator();
      continue;
    }
    target->addAction(module->Action(QLatin1String(name)));
  }
}

// The keys of the program's commands. Del stays the editor's: Delete is enabled only with a
// selection, and without one the key must still delete the next character.
QList<QKeySequence> CommandKeys(TModule* module) {
  QList<QKeySequence> keys;
  for (TAction* action : module->Actions())
    if (action->shortcut() != QKeySequence(Qt::Key_Delete)) keys += action->shortcuts();
  return keys;
}

}  // namespace

TMainForm::TMainForm(TModule* module) : QMainWindow(nullptr), Owner(module) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Inkloom"));
  resize(756, 527);
  MainForm = this;
  CreateEditor();
  CreateMenus();
  CreateToolbars();
  CreateContentPanel();
  LocalStrings = new TLocalStrings(this, QStringLiteral("MainForm"));
  CreateStatusBar();
  LocalStrings->Loaded();
  connect(LocalStrings, &TLocalStrings::OnLocalize, this, &TMainForm::ShowCaretPosition);
}

void TMainForm::CreateStatusBar() {
  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("StatusBar"));
  setStatusBar(status);
  CaretPanel = new QLabel(status);
  CaretPanel->setObjectName(QStringLiteral("CaretPanel"));
  status->addPermanentWidget(CaretPanel);
  connect(TextEditor, &QsciScintilla::cursorPositionChanged, this, &TMainForm::ShowCaretPosition);
  ShowCaretPosition();
}

void TMainForm::ShowCaretPosition() {
  const long position = TextEditor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
  // Columns count characters, tabs to their width, and the room past the end of the line.
  const long column = TextEditor->SendScintilla(QsciScintilla::SCI_GETCOLUMN, position) +
                      TextEditor->SendScintilla(QsciScintilla::SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL);
  const long line = TextEditor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, position);
  CaretPanel->setText(FormatText(LocalStrings->GetString(QStringLiteral("CaretPosition")),
                                 {QString::number(line + 1), QString::number(column + 1)}));
}

TMainForm::~TMainForm() { MainForm = nullptr; }

void TMainForm::CreateEditor() {
  TextEditor = NewEditor(this);
  TextEditor->setLexer(new TMarkupLexer(TextEditor));
  ReleaseEditorKeys(TextEditor, CommandKeys(Owner));
  TextEditor->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TextEditor, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    Owner->ApplicationEventsIdle();  // the items show their current states
    EditItems->exec(TextEditor->mapToGlobal(at));
  });
  connect(TextEditor, &QsciScintilla::textChanged, this, [this] { Owner->ContentChanged = true; });
  connect(TextEditor, &QsciScintilla::modificationChanged, this,
          [this] { setWindowModified(Owner->IsModified()); });
  setCentralWidget(TextEditor);
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));
  auto addMenu = [this, bar](const char* name, const char* caption,
                             std::initializer_list<const char*> actions) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QLatin1String(name));
    AddActions(menu, Owner, actions);
    return menu;
  };
  QMenu* file = addMenu("FileMenu", "File",
                        {"NewAction", "OpenAction", "SaveAction", "SaveAsAction", "-", "AutomateAction", "-",
                         "OptionsAction", "-", "ExitAction"});
  new TRecentMenu(Owner, file);
  EditItems = addMenu("EditMenu", "Edit",
                      {"UndoAction", "RedoAction", "-", "CutAction", "CopyAction", "PasteAction",
                       "DeleteAction", "SelectAllAction", "-", "FindAction", "FindNextAction",
                       "ReplaceAction"});
  addMenu("ProjectMenu", "Project",
          {"PreviewAction", "BrowseAction", "-", "TemplateEditAction", "-",
           "UploadSettingsAction", "UploadAction"});
  addMenu("HelpMenu", "Help",
          {"HelpAction", "GettingStartedAction", "-", "HomePageAction", "-", "AboutAction"});
}

void TMainForm::CreateToolbars() {
  auto addToolbar = [this](const char* name, const char* caption,
                           std::initializer_list<const char*> actions) {
    QToolBar* bar = addToolBar(QString::fromUtf8(caption));
    bar->setObjectName(QLatin1String(name));
    bar->setIconSize(QSize(20, 20));
    AddActions(bar, Owner, actions);
  };
  addToolbar("ProjectToolbar", "Project",
             {"NewAction", "OpenAction", "SaveAction", "-", "PreviewAction", "BrowseAction", "-",
              "UploadAction"});
  addToolbar("EditToolbar", "Edit",
             {"UndoAction", "RedoAction", "-", "CutAction", "CopyAction", "PasteAction",
              "DeleteAction", "-", "FindAction", "ReplaceAction"});
  addToolBarBreak();
  addToolbar("FormatToolbar", "Format",
             {"Header1Action", "Header2Action", "Header3Action", "-", "BoldAction", "ItalicAction",
              "BoldItalicAction", "-", "InsertLinkAction", "InsertImageAction", "-",
              "UnorderedListAction", "OrderedListAction"});
}

void TMainForm::CreateContentPanel() {
  auto* panel = new QDockWidget(QStringLiteral("Content"), this);
  panel->setObjectName(QStringLiteral("ContentPanel"));
  panel->setFeatures(QDockWidget::DockWidgetMovable);
  SectionListView = new QListWidget(panel);
  SectionListView->setObjectName(QStringLiteral("ContentListView"));
  SectionListView->setFrameShape(QFrame::NoFrame);
  SectionListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SectionListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SectionListView->setTextElideMode(Qt::ElideRight);
  SectionListView->setUniformItemSizes(true);
  connect(SectionListView, &QListWidget::itemDoubleClicked, this, &TMainForm::JumpToEntry);
  // Enter jumps as a double-click does; an entry cut off by the panel shows whole in a tooltip.
  SectionListView->installEventFilter(this);
  SectionListView->viewport()->installEventFilter(this);
  panel->setWidget(SectionListView);
  addDockWidget(Qt::LeftDockWidgetArea, panel);
  resizeDocks({panel}, {176}, Qt::Horizontal);
}

void TMainForm::RebuildSectionList(const std::vector<TSectionEntry>& entries) {
  static const QIcon icons[] = {CommandIcon(QStringLiteral("text-html"), QStringLiteral("P")),
                                CommandIcon(QStringLiteral("folder"), QStringLiteral("S")),
                                CommandIcon(QStringLiteral("document-properties"), QStringLiteral("Pr"))};
  int selected = SectionListView->currentRow();
  SectionListView->setUpdatesEnabled(false);
  // Entries that stay as they were are left alone: a rebuild after typing changes one or none.
  const int count = static_cast<int>(entries.size());
  while (SectionListView->count() > count) delete SectionListView->takeItem(SectionListView->count() - 1);
  for (int i = 0; i < count; ++i) {
    QListWidgetItem* item = i < SectionListView->count() ? SectionListView->item(i) : new QListWidgetItem(SectionListView);
    if (item->text() != entries[i].Caption) item->setText(entries[i].Caption);
    if (item->data(Qt::UserRole + 1) != int(entries[i].Icon)) {
      item->setIcon(icons[entries[i].Icon]);
      item->setData(Qt::UserRole + 1, int(entries[i].Icon));
    }
    item->setData(Qt::UserRole, entries[i].Line);
  }
  if (selected >= SectionListView->count()) selected = SectionListView->count() - 1;
  if (selected >= 0) SectionListView->setCurrentRow(selected);
  SectionListView->setUpdatesEnabled(true);
}

void TMainForm::JumpToEntry(QListWidgetItem* item) {
  if (!item) return;
  int line = std::min(item->data(Qt::UserRole).toInt(), std::max(0, TextEditor->lines() - 1));
  TextEditor->setCursorPosition(line, 0);
  TextEditor->setSelection(line, 0, line, 0);
  // The line in the middle of the editor; wrapped lines above it count as the rows they take.
  const int visible = static_cast<int>(TextEditor->SendScintilla(QsciScintilla::SCI_LINESONSCREEN));
  const int row = static_cast<int>(TextEditor->SendScintilla(QsciScintilla::SCI_VISIBLEFROMDOCLINE, line));
  TextEditor->setFirstVisibleLine(std::max(0, row - visible / 2));
  TextEditor->setFocus();
}

// Coming back to the window is when a change another program made to the project is offered;
// after the activation, so that a question does not open inside it.
void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    QTimer::singleShot(0, Owner, [module = Owner] { module->CheckProjectOnDisk(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == SectionListView && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && SectionListView->currentItem()) {
      JumpToEntry(SectionListView->currentItem());
      return true;
    }
  }
  if (watched == SectionListView->viewport() && event->type() == QEvent::ToolTip)
    return ShowWholeEntry(static_cast<QHelpEvent*>(event));
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::ShowWholeEntry(QHelpEvent* event) {
  const QModelIndex index = SectionListView->indexAt(event->pos());
  const QString text = index.data().toString();
  const QRect shown = SectionListView->visualRect(index);
  const int needed = SectionListView->fontMetrics().horizontalAdvance(text) + SectionListView->iconSize().width() + 12;
  if (index.isValid() && needed > SectionListView->viewport()->width() - shown.left())
    QToolTip::showText(event->globalPos(), text, SectionListView);
  else
    QToolTip::hideText();
  return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!Owner->QuerySaveChanges()) {
    event->ignore();
    return;
  }
  Owner->SaveWindowPosition();
  Owner->ProjectClosed();
  event->accept();
}
