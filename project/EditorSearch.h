#pragma once

// Find, Find Next and Replace on one editor, with the settings of the window that owns it: opens
// the find and replace dialogs, runs the searches, asks before each replacement and reports a
// search that found nothing. The main window, the template editor and the script window each
// make one, with their own settings, texts and status bar:
//
//   TEditorSearch search(editor, settings, [table](auto& key) { return table->GetString(key); },
//                        [bar](auto& text) { bar->showMessage(text); }, window);
//
// The texts asked for are TextNotFound, NoSelectionAvailable, InvalidPattern and Warning. The settings belong to
// the caller, so they can outlive the window.

#include "project/EditorSearchReplace.h"

#include <QObject>
#include <QString>

#include <functional>

class QDialog;
class QsciScintilla;
class TTextSearchDialog;
class TTextReplaceDialog;
struct TSearchSettings;

class TEditorSearch : public QObject {
  Q_OBJECT
 public:
  using TTexts = std::function<QString(const QString& key)>;
  using TStatus = std::function<void(const QString& text)>;

  TEditorSearch(QsciScintilla* editor, TSearchSettings& settings, TTexts texts, TStatus status,
                QObject* owner = nullptr);

  TSearchSettings& Settings() const { return SearchSettings; }
  // Find Next has something to find.
  bool CanFindNext() const;

  // The question NoSelectionAvailable (answers QMessageBox::Yes or No) and the modal run of a
  // dialog (answers its result): tests answer them instead of a user.
  std::function<int(const QString& caption, const QString& text)> AskYesNo;
  std::function<int(QDialog& dialog)> ExecDialog;

  void OpenSearchDialog(bool replace);
  void RunSearch(bool replace, bool backwards);
  // The editor's question before a replacement: placed near the match at line and index.
  TReplaceAction ConfirmReplacement(const QString& search, const QString& replacement, int line, int index);

 private:
  QsciScintilla* Editor;
  TSearchSettings& SearchSettings;
  TTexts GetString;
  TStatus ShowStatus;
  TEditorSearchReplace SearchReplace;

  void FillIn(TTextSearchDialog& dialog, TTextReplaceDialog* replace) const;
  void ReadBack(const TTextSearchDialog& dialog, const TTextReplaceDialog* replace);
  QString TextAtCaret() const;
  QString WordAtCaret() const;
  bool SearchSelectionOnly(TEditorSearchOptions& options);
  void NotFound(bool backwards);
  QRect MatchOnScreen(int line, int index) const;
};
