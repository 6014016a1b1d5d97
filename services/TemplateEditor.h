#pragma once

// The template editor: the pages, includes and style sheets of the project's theme copy (its
// template folder), each written back when another is chosen or the window closes. A file that
// cannot be written keeps its text in the window; one changed on disk by another program since
// it was opened is not overwritten without asking. A file the editor cannot hold whole (a NUL
// byte, UTF-16 without its mark) is shown read-only and never written back.

#include "project/EditorWindow.h"
#include "services/TemplateFiles.h"

class QListWidget;

class TTemplateEditForm : public TEditorWindow {
  Q_OBJECT
 public:
  explicit TTemplateEditForm(QWidget* parent = nullptr);

  QListWidget* FileListView() const { return FileList; }
  const QString& CurrentFile() const { return Current; }
  void UpdateActions() override;

 public Q_SLOTS:
  void done(int result) override;

 private:
  QString Folder;  // the template folder, ending with "/"; empty for an untitled project
  QString Current;
  TTemplateText Loaded;
  bool WriteFailed = false;  // the last attempt to write the shown file failed
  bool ShownWhole = true;    // the editor holds the whole text of the shown file
  QListWidget* FileList = nullptr;

  void CreateActions();
  void FormCreate();
  void FileListViewSelectItem(int row);
  bool OpenFile(const QString& name);
  // Writes the shown file back when it changed; false when it must stay shown (not written).
  bool SaveCurrentFile();
  void PreviewSite();
  bool HasChanges() const;
  void NoteWholeness(const QString& name);
  bool WriteCurrentFile();
  // Save: writes the shown file and keeps it shown, with its undo history.
  void CmSave();
  bool DropUnwritableText();
  int WhoseText();
  void ChooseLexer(const QString& name);
  void OpenWithSystem(const QString& path);
};
