#include "project/EditorSearch.h"

#include "project/EditorConfirmReplace.h"
#include "project/EditorReplaceText.h"
#include "project/SearchSettings.h"
#include "project/TextSearchEngine.h"
#include "services/LocalStrings.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QMessageBox>

#include <memory>

TEditorSearch::TEditorSearch(QsciScintilla* editor, TSearchSettings& settings, TTexts texts,
                             TStatus status, QObject* owner)
    : QObject(owner), Editor(editor), SearchSettings(settings), GetString(std::move(texts)),
      ShowStatus(std::move(status)), SearchReplace(editor) {
  setObjectName(QStringLiteral("EditorSearch"));
  SearchReplace.OnReplaceText = [this](const QString& search, const QString& replacement, int line, int index) {
    return ConfirmReplacement(search, replacement, line, index);
  };
  AskYesNo = [this](const QString& caption, const QString& text) {
    return QMessageBox::warning(Editor->window(), caption, text, QMessageBox::Yes | QMessageBox::No);
  };
  ExecDialog = [](QDialog& dialog) { return dialog.exec(); };
}

bool TEditorSearch::CanFindNext() const { return !SearchSettings.SearchText.isEmpty(); }

void TEditorSearch::OpenSearchDialog(bool replace) {
  ShowStatus(QString());
  std::unique_ptr<TTextSearchDialog> dialog(replace ? new TTextReplaceDialog(Editor->window())
                                                    : new TTextSearchDialog(Editor->window()));
  auto* replaceDialog = qobject_cast<TTextReplaceDialog*>(dialog.get());
  FillIn(*dialog, replaceDialog);
  if (ExecDialog(*dialog) != QDialog::Accepted) return;
  ReadBack(*dialog, replaceDialog);
  TSearchSettings& settings = SearchSettings;
  settings.SearchFromCaretNow = settings.SearchFromCaret;
  if (settings.SearchText.isEmpty()) return;
  RunSearch(replace, settings.SearchBackwards);
  settings.SearchFromCaretNow = true;  // Find Next goes on from the caret
}

void TEditorSearch::FillIn(TTextSearchDialog& dialog, TTextReplaceDialog* replace) const {
  const TSearchSettings& settings = SearchSettings;
  dialog.SetSearchBackwards(settings.SearchBackwards);
  dialog.SetSearchCaseSensitive(settings.SearchCaseSensitive);
  dialog.SetSearchFromCaret(settings.SearchFromCaret);
  dialog.SetSearchSelectionOnly(settings.SearchSelectionOnly);
  dialog.SetSearchText(settings.SearchTextAtCaret ? TextAtCaret() : settings.SearchText);
  dialog.SetSearchTextHistory(settings.SearchTextHistory);
  if (replace) {
    replace->SetReplaceText(settings.ReplaceText);
    replace->SetReplaceTextHistory(settings.ReplaceTextHistory);
  }
  dialog.SetSearchWholeWords(settings.SearchWholeWords);
}

void TEditorSearch::ReadBack(const TTextSearchDialog& dialog, const TTextReplaceDialog* replace) {
  TSearchSettings& settings = SearchSettings;
  settings.SearchSelectionOnly = dialog.SearchSelectionOnly();
  settings.SearchBackwards = dialog.SearchBackwards();
  settings.SearchCaseSensitive = dialog.SearchCaseSensitive();
  settings.SearchFromCaret = dialog.SearchFromCaret();
  settings.SearchWholeWords = dialog.SearchWholeWords();
  settings.SearchRegex = dialog.SearchRegularExpression();
  settings.SearchText = dialog.SearchText();
  settings.SearchTextHistory = dialog.SearchTextHistory();
  if (!replace) return;
  settings.ReplaceText = replace->ReplaceText();
  settings.ReplaceTextHistory = replace->ReplaceTextHistory();
}

// A selection within one line, else the word at the caret.
QString TEditorSearch::TextAtCaret() const {
  int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
  Editor->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
  if (Editor->hasSelectedText() && lineFrom == lineTo) return Editor->selectedText();
  return WordAtCaret();
}

// The run of word characters holding the character right of the caret; empty when that is none.
QString TEditorSearch::WordAtCaret() const {
  const unsigned long caret = Editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
  const long end = Editor->SendScintilla(QsciScintilla::SCI_WORDENDPOSITION, caret, 1L);
  if (end <= static_cast<long>(caret)) return QString();
  const long start = Editor->SendScintilla(QsciScintilla::SCI_WORDSTARTPOSITION, caret, 1L);
  return Editor->text(static_cast<int>(start), static_cast<int>(end));
}

void TEditorSearch::RunSearch(bool replace, bool backwards) {
  ShowStatus(QString());
  const TSearchSettings& settings = SearchSettings;
  TEditorSearchOptions options;
  options.Replace = replace;
  options.Backwards = backwards;
  options.MatchCase = settings.SearchCaseSensitive;
  options.EntireScope = !settings.SearchFromCaretNow;
  if (settings.SearchSelectionOnly && !SearchSelectionOnly(options)) return;
  options.WholeWord = settings.SearchWholeWords;
  options.Regex = settings.SearchRegex;
  struct TFreeQuestion {  // the confirmation lives as long as the run
    ~TFreeQuestion() { delete ConfirmReplaceDialog; }
  } freeQuestion;
  try {
    if (SearchReplace.SearchReplace(settings.SearchText, settings.ReplaceText, options) == 0) NotFound(backwards);
  } catch (const EPatternError& error) {
    throw EInkloomError(FormatText(GetString(QStringLiteral("InvalidPattern")),
                                   {error.Pattern, error.Reason, QString::number(error.Offset)})
                            .toStdString());
  }
}

// Only the selection, when there is one that is not just the last match; else the user may
// search the whole text instead, for good.
bool TEditorSearch::SearchSelectionOnly(TEditorSearchOptions& options) {
  if (Editor->hasSelectedText() &&
      Editor->selectedText().compare(SearchSettings.SearchText, Qt::CaseInsensitive) != 0) {
    options.SelectedOnly = true;
    return true;
  }
  if (AskYesNo(GetString(QStringLiteral("Warning")), GetString(QStringLiteral("NoSelectionAvailable"))) !=
      QMessageBox::Yes)
    return false;
  SearchSettings.SearchSelectionOnly = false;
  return true;
}

// The selection collapses toward the search's direction.
void TEditorSearch::NotFound(bool backwards) {
  QApplication::beep();
  ShowStatus(GetString(QStringLiteral("TextNotFound")));
  const unsigned long at = Editor->SendScintilla(backwards ? QsciScintilla::SCI_GETSELECTIONSTART
                                                           : QsciScintilla::SCI_GETSELECTIONEND);
  Editor->SendScintilla(QsciScintilla::SCI_SETEMPTYSELECTION, at);
}

TReplaceAction TEditorSearch::ConfirmReplacement(const QString& search, const QString& replacement,
                                                 int line, int index) {
  if (search == replacement) return raSkip;
  QWidget* window = Editor->window();
  const QRect area(window->mapToGlobal(QPoint(0, 0)), window->size());
  const QRect match = MatchOnScreen(line, index);
  if (!ConfirmReplaceDialog) ConfirmReplaceDialog = new TConfirmReplaceDialog(window);
  ConfirmReplaceDialog->PlaceNearMatch(area, match.left(), match.top(), match.bottom() + 1, search);
  switch (ExecDialog(*ConfirmReplaceDialog)) {
    case TConfirmReplaceDialog::caYes: return raReplace;
    case TConfirmReplaceDialog::caYesToAll: return raReplaceAll;
    case TConfirmReplaceDialog::caNo: return raSkip;
    default: return raCancel;
  }
}

// The first character of the match on the screen: its top left and the line's height.
QRect TEditorSearch::MatchOnScreen(int line, int index) const {
  const unsigned long position = static_cast<unsigned long>(Editor->positionFromLineIndex(line, index));
  const QPoint at(static_cast<int>(Editor->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, static_cast<long>(position))),
                  static_cast<int>(Editor->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, static_cast<long>(position))));
  const int height = static_cast<int>(Editor->SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
  return QRect(Editor->viewport()->mapToGlobal(at), QSize(1, height));
}
