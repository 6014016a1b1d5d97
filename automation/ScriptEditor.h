#pragma once

// The script window ("Automate"): write, open and save scripts, and run the one shown against
// the program's object model, with Application's members as global names. What the script's
// console says shows in a panel under its text, followed by how the run ended: the time it
// took, or the error with its line, which is then selected and shown in a box too. A script
// that keeps the window from answering for longer than RunLimit is stopped.

#include "project/EditorWindow.h"

#include <chrono>

class QPlainTextEdit;

class TScriptEditForm : public TEditorWindow {
  Q_OBJECT
 public:
  explicit TScriptEditForm(QWidget* parent = nullptr);

  const QString& FileName() const { return CurrentFile; }
  const QPlainTextEdit* OutputPanel() const { return Output; }
  void OpenScript(const QString& name);
  void CmNew();
  void CmOpen();
  bool CmSave();
  void CmRun();

  std::chrono::milliseconds RunLimit{10000};
  // The message of a failed run: an error box unless set.
  std::function<void(const QString& text)> ShowRunError;

 public Q_SLOTS:
  void done(int result) override;

 private:
  QString CurrentFile;
  QObject* OpenDialog = nullptr;
  QObject* SaveDialog = nullptr;
  QPlainTextEdit* Output = nullptr;
  // The script's text takes this many times the panel's height.
  static constexpr int kTextShare = 4;

  void CreateActions();
  void CreateOutput();
  QObject* AddDialog(const char* name, const QString& title);
  QString ChooseScript(QObject* texts, bool save);
  // Asks before unsaved changes go; true when the caller may go on.
  bool QuerySaveChanges();
  bool SaveTo(const QString& name);
  void ReportRun(const struct TScriptError& error, bool stopped);
  // The caret to the start of the line, and the line selected without its break.
  void SelectLine(int line);
};
