#pragma once

// The main window: menus and three toolbars bound to the module's commands, the Content panel
// with the section list on the left, the project text's editor and the status bar.

#include "project/SectionList.h"

#include <QMainWindow>

#include <vector>

class QListWidget;
class QListWidgetItem;
class QMenu;
class QsciScintilla;
class TLocalStrings;
class TModule;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(TModule* module);
  ~TMainForm() override;

  QsciScintilla* Editor() const { return TextEditor; }
  QListWidget* ContentListView() const { return SectionListView; }
  QMenu* EditMenu() const { return EditItems; }

  // Replaces the section list, keeping the selection at the same position (the last entry
  // when the list became shorter).
  void RebuildSectionList(const std::vector<TSectionEntry>& entries);
  // The caret to the start of the line below the entry's section line, shown mid-editor.
  void JumpToEntry(QListWidgetItem* item);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TModule* Owner;
  QsciScintilla* TextEditor = nullptr;
  QListWidget* SectionListView = nullptr;
  QMenu* EditItems = nullptr;
  TLocalStrings* LocalStrings = nullptr;
  class QLabel* CaretPanel = nullptr;

  void CreateMenus();
  void CreateToolbars();
  void CreateContentPanel();
  void CreateEditor();
  void CreateStatusBar();
  // "Line 12, column 5" of the caret in the status bar.
  void ShowCaretPosition();
  bool ShowWholeEntry(class QHelpEvent* event);
};

extern TMainForm* MainForm;
