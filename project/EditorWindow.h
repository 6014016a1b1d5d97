#pragma once

// A window around a text editor of its own, as the template editor and the script window are:
// a toolbar, the editor, a status bar, commands that follow the editor's state at each idle
// moment, Find, Find Next and Replace with the window's own search settings, and a placement
// kept in the settings under the window's key.

#include <QDialog>
#include <QKeySequence>
#include <QString>

#include <functional>
#include <initializer_list>

class QStatusBar;
class QToolBar;
class QVBoxLayout;
class QsciScintilla;
class TAction;
class TEditorSearch;
class TLocalStrings;
struct TSearchSettings;

class TEditorWindow : public QDialog {
  Q_OBJECT
 public:
  QsciScintilla* Editor() const { return TextEditor; }
  TEditorSearch* Search() const { return EditorSearch; }
  TAction* Action(const QString& name) const;
  // The commands' states, as at each idle moment.
  virtual void UpdateActions();

 protected:
  // name: the window's object name and text table; placementKey: its placement in the settings.
  TEditorWindow(QWidget* parent, const QString& name, const QString& placementKey, TSearchSettings& search);

  TAction* AddAction(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& icon,
                     std::function<void()> execute, std::function<bool()> enabled = {});
  // Undo to Replace...; Find, Find Next and Replace only while searchable says so.
  void AddEditingActions(std::function<bool()> searchable);
  // Once the window's commands exist: its texts, the toolbar and the editor's context menu
  // ("-" is a separator), and the commands' keys taken back from the editor.
  void FinishCreate(std::initializer_list<const char*> toolbar, std::initializer_list<const char*> menu);
  // The area between the toolbar and the status bar; the editor unless the window puts it elsewhere.
  void SetCentralWidget(QWidget* widget);
  void ShowStatus(const QString& text);
  QString Text(const char* key) const;
  void SavePlacement();

  void showEvent(QShowEvent* event) override;

  QsciScintilla* TextEditor = nullptr;
  QToolBar* Toolbar = nullptr;
  QStatusBar* StatusBar = nullptr;
  TLocalStrings* LocalStrings = nullptr;

 private:
  QString PlacementKey;
  TSearchSettings& SearchSettings;
  TEditorSearch* EditorSearch = nullptr;
  QVBoxLayout* Layout = nullptr;
  QList<TAction*> Actions;

  void CreateEditor();
};
