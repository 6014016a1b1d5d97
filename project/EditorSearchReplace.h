#pragma once

// Search and replace on an editor: finds the matches of a range with TTextSearchEngine, selects
// and shows each, and replaces after asking OnReplaceText. Each single replacement is one undo
// step; "replace all" changes the rest of the range with one replacement of the editor's text,
// one undo step.

#include "project/TextSearchEngine.h"
#include "project/Utf8Positions.h"

#include <QString>

#include <functional>
#include <optional>

class QsciScintilla;

enum TReplaceAction { raReplace, raSkip, raReplaceAll, raCancel };

struct TEditorSearchOptions {
  bool Replace = false;       // every match of the range, asking before each
  bool Backwards = false;
  bool MatchCase = false;
  bool EntireScope = false;   // the whole text rather than from the caret on
  bool SelectedOnly = false;  // only the selection, when there is one
  bool WholeWord = false;     // plain text only
  bool Regex = false;
};

class TEditorSearchReplace {
 public:
  explicit TEditorSearchReplace(QsciScintilla* editor);

  // Asked for each match of a replace, with the match's line and index as QScintilla counts them.
  std::function<TReplaceAction(const QString& search, const QString& replacement, int line, int index)> OnReplaceText;

  // Without Replace: selects the first match and returns 1, or returns 0 and changes nothing.
  // With Replace: returns the number of matches reached, skipped ones included. Throws
  // EInkloomError for a regular expression that does not compile, before anything changes.
  int SearchReplace(const QString& search, const QString& replacement, const TEditorSearchOptions& options);

 private:
  QsciScintilla* Editor;
  // The state of one run.
  std::optional<TTextSearchEngine> Engine;
  TEditorSearchOptions Options;
  QString Search;
  QString Replacement;
  QString Text;
  std::optional<TUtf8Positions> Positions;
  qsizetype RangeStart = 0;  // forward, the search goes on from here
  qsizetype RangeEnd = 0;    // backward, the search goes on before here

  void SetRange();
  bool FindNext(TTextMatch& match) const;
  bool FindFirst(TTextMatch& match);
  int ReplaceMatches(TTextMatch match);
  TReplaceAction Ask(const TTextMatch& match);
  void GoPast(const TTextMatch& match, qsizetype length);
  void ReplaceOne(const TTextMatch& match);
  int ReplaceRest(const TTextMatch& match);
  int ReplaceThisAndFollowing(const TTextMatch& match);
  void ReplaceText(qsizetype first, qsizetype last, const QString& with);
  void Select(qsizetype start, qsizetype end);
  void ShowLine(long position);
  long Byte(qsizetype index) { return static_cast<long>(Positions->ToByte(index)); }
};
