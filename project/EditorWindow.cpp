#include "project/EditorWindow.h"

#include "app/CommandIcons.h"
#include "app/Model.h"
#include "project/EditorKeys.h"
#include "project/EditorSearch.h"
#include "project/EditorSettings.h"
#include "project/WrapPause.h"
#include "services/Action.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kGeneral = QStringLiteral("General");

template <class TTarget>
void AddItems(TTarget* target, const TEditorWindow& window, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (*name == '-')
      target->addSeparator();
    else
      target->addAction(window.Action(QLatin1String(name)));
  }
}

}  // namespace

TEditorWindow::TEditorWindow(QWidget* parent, const QString& name, const QString& placementKey,
                             TSearchSettings& search)
    : QDialog(parent), PlacementKey(placementKey), SearchSettings(search) {
  setObjectName(name);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  resize(640, 469);
  Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  Toolbar = new QToolBar(this);
  Toolbar->setIconSize(QSize(20, 20));
  Layout->addWidget(Toolbar);
  CreateEditor();
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  Layout->addWidget(StatusBar);
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TEditorWindow::UpdateActions);
}

void TEditorWindow::CreateEditor() {
  TextEditor = NewEditor(this);
  Layout->addWidget(TextEditor, 1);
}

void TEditorWindow::SetCentralWidget(QWidget* widget) { Layout->insertWidget(1, widget, 1); }

TAction* TEditorWindow::AddAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                                  const QString& icon, std::function<void()> execute, std::function<bool()> enabled) {
  auto* action = new TAction(this);
  action->setObjectName(QLatin1String(name));
  action->SetCaption(caption);
  action->setShortcut(shortcut);
  action->setShortcutContext(Qt::WindowShortcut);
  if (!icon.isEmpty()) action->setIcon(CommandIcon(icon, caption.left(2)));
  action->SetOnExecute(TNotifyEvent::FromFunction([execute](QObject*) { execute(); }));
  if (enabled)
    action->SetOnUpdate(TNotifyEvent::FromFunction([action, enabled](QObject*) { action->setEnabled(enabled()); }));
  addAction(action);
  Actions.append(action);
  return action;
}

void TEditorWindow::AddEditingActions(std::function<bool()> searchable) {
  using K = QKeySequence;
  auto selection = [this] { return TextEditor->hasSelectedText(); };
  AddAction("UndoAction", QStringLiteral("Undo"), K(Qt::CTRL | Qt::Key_Z), QStringLiteral("edit-undo"),
            [this] {
              const TWrapPause unwrapped(TextEditor);
              TextEditor->undo();
            }, [this] { return TextEditor->isUndoAvailable(); });
  AddAction("RedoAction", QStringLiteral("Redo"), K(Qt::CTRL | Qt::Key_Y), QStringLiteral("edit-redo"),
            [this] {
              const TWrapPause unwrapped(TextEditor);
              TextEditor->redo();
            }, [this] { return TextEditor->isRedoAvailable(); });
  AddAction("CutAction", QStringLiteral("Cut"), K(Qt::CTRL | Qt::Key_X), QStringLiteral("edit-cut"),
            [this] { TextEditor->cut(); }, selection);
  AddAction("CopyAction", QStringLiteral("Copy"), K(Qt::CTRL | Qt::Key_C), QStringLiteral("edit-copy"),
            [this] { TextEditor->copy(); }, selection);
  AddAction("PasteAction", QStringLiteral("Paste"), K(Qt::CTRL | Qt::Key_V), QStringLiteral("edit-paste"),
            [this] { TextEditor->paste(); }, [] {
              const QMimeData* data = QApplication::clipboard()->mimeData();
              return data && data->hasText();
            });
  AddAction("DeleteAction", QStringLiteral("Delete"), K(Qt::Key_Delete), QStringLiteral("edit-delete"),
            [this] { TextEditor->removeSelectedText(); }, selection);
  AddAction("SelectAllAction", QStringLiteral("Select All"), K(Qt::CTRL | Qt::Key_A), QString(),
            [this] { TextEditor->selectAll(); });
  AddAction("FindAction", QStringLiteral("Find..."), K(Qt::CTRL | Qt::Key_F), QStringLiteral("edit-find"),
            [this] { EditorSearch->OpenSearchDialog(false); }, searchable);
  AddAction("FindNextAction", QStringLiteral("Find Next..."), K(Qt::Key_F3), QStringLiteral("go-down-search"),
            [this] { EditorSearch->RunSearch(false, false); },
            [this, searchable] { return searchable() && EditorSearch->CanFindNext(); });
  AddAction("ReplaceAction", QStringLiteral("Replace..."), K(Qt::CTRL | Qt::Key_R), QStringLiteral("edit-find-replace"),
            [this] { EditorSearch->OpenSearchDialog(true); }, searchable);
}

void TEditorWindow::FinishCreate(std::initializer_list<const char*> toolbar, std::initializer_list<const char*> menu) {
  LocalStrings = new TLocalStrings(this, objectName());
  LocalStrings->Loaded();
  EditorSearch = new TEditorSearch(
      TextEditor, SearchSettings, [this](const QString& key) { return LocalStrings->GetString(key); },
      [this](const QString& text) { ShowStatus(text); }, this);
  AddItems(Toolbar, *this, toolbar);
  auto* popup = new QMenu(this);
  popup->setObjectName(QStringLiteral("EditPopupMenu"));
  AddItems(popup, *this, menu);
  TextEditor->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TextEditor, &QWidget::customContextMenuRequested, this, [this, popup](const QPoint& at) {
    UpdateActions();
    popup->exec(TextEditor->mapToGlobal(at));
  });
  // Del stays the editor's: without a selection the key still deletes the next character.
  QList<QKeySequence> keys;
  for (TAction* action : Actions)
    if (action->shortcut() != QKeySequence(Qt::Key_Delete)) keys += action->shortcuts();
  ReleaseEditorKeys(TextEditor, keys);
}

TAction* TEditorWindow::Action(const QString& name) const {
  for (TAction* action : Actions)
    if (action->objectName() == name) return action;
  return nullptr;
}

void TEditorWindow::UpdateActions() {
  for (TAction* action : Actions) action->Update();
}

void TEditorWindow::ShowStatus(const QString& text) { StatusBar->showMessage(text); }

QString TEditorWindow::Text(const char* key) const { return LocalStrings->GetString(QLatin1String(key)); }

void TEditorWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) Module->Config()->RestoreWindowPlacement(kGeneral, PlacementKey, this);
  QDialog::showEvent(event);
}

void TEditorWindow::SavePlacement() {
  if (isVisible()) Module->Config()->SaveWindowPlacement(kGeneral, PlacementKey, this);
}
