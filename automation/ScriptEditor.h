#pragma once

// The script window ("Automate"): write, open and save scripts, and run the one shown against
// the program's object model, with Application's members as global names. A script error is
// shown with its line, and the caret goes there. A script that keeps the window from answering
// for longer than RunLimit is stopped.

#include "project/EditorWindow.h"

#include <chrono>

class TScriptEditForm : public TEditorWindow {
  Q_OBJECT
 public:
  explicit TScriptEditForm(QWidget* parent = nullptr);

  const QString& FileName() const { return CurrentFile; }
  void OpenScript(const QString& name);
  void CmNew();
  void CmOpen();
  bool CmSave();
  void CmRun();

  std::chrono::milliseconds RunLimit{10000};
  // The message of a failed run: an error box with the caption "Error" unless set.
  std::function<void(const QString& text)> ShowRunError;

 public Q_SLOTS:
  void done(int result) override;

 private:
  QString CurrentFile;
  QObject* OpenDialog = nullptr;
  QObject* SaveDialog = nullptr;

  void CreateActions();
  QObject* AddDialog(const char* name, const QString& title);
  QString ChooseScript(QObject* texts, bool save);
  // Asks before unsaved changes go; true when the caller may go on.
  bool QuerySaveChanges();
  bool SaveTo(const QString& name);
  void ReportRun(const struct TScriptError& error, bool stopped);
};
