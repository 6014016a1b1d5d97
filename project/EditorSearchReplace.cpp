#include "project/EditorSearchReplace.h"

#include "project/WrapPause.h"

#include <Qsci/qsciscintilla.h>

TEditorSearchReplace::TEditorSearchReplace(QsciScintilla* editor) : Editor(editor) {}

int TEditorSearchReplace::SearchReplace(const QString& search, const QString& replacement,
                                        const TEditorSearchOptions& options) {
  Engine.emplace(search, replacement, TSearchOptions{options.MatchCase, options.WholeWord, options.Regex});
  Options = options;
  Search = search;
  Replacement = replacement;
  Text = Editor->text();
  Positions.emplace(Text);
  SetRange();
  TTextMatch match;
  int reached = 0;
  if (FindFirst(match)) {
    Select(match.Start, match.End);
    reached = Options.Replace ? ReplaceMatches(match) : 1;
  }
  Positions.reset();
  Text.clear();  // a copy of the whole text is not kept between runs
  return reached;
}

void TEditorSearchReplace::SetRange() {
  const long selectionStart = Editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART);
  const long selectionEnd = Editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND);
  if (Options.SelectedOnly && selectionStart != selectionEnd) {
    RangeStart = Positions->ToIndex(selectionStart);
    RangeEnd = Positions->ToIndex(selectionEnd);
    return;
  }
  RangeStart = 0;
  RangeEnd = Text.size();
  if (Options.EntireScope) return;
  const qsizetype caret = Positions->ToIndex(Editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS));
  (Options.Backwards ? RangeEnd : RangeStart) = caret;
}

bool TEditorSearchReplace::FindNext(TTextMatch& match) const {
  return Options.Backwards ? Engine->FindBackward(Text, RangeStart, RangeEnd, match)
                           : Engine->FindForward(Text, RangeStart, RangeEnd, match);
}

// Find from the caret: an empty match right at the caret is the one found last time; the search
// goes on a character further, or Find Next would never move.
bool TEditorSearchReplace::FindFirst(TTextMatch& match) {
  if (!FindNext(match)) return false;
  if (Options.Replace || Options.EntireScope || Options.SelectedOnly || !match.Empty()) return true;
  if (match.Start != Positions->ToIndex(Editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS))) return true;
  GoPast(match, 0);
  return FindNext(match);
}

// Every match of the range in turn, as the answers say; the number of matches reached.
int TEditorSearchReplace::ReplaceMatches(TTextMatch match) {
  for (int reached = 1;; ++reached) {
    switch (Ask(match)) {
      case raReplace: ReplaceOne(match); break;
      case raSkip: GoPast(match, match.End - match.Start); break;
      case raReplaceAll: return reached - 1 + ReplaceRest(match);
      case raCancel: return reached;
    }
    if (!FindNext(match)) return reached;
    Select(match.Start, match.End);
  }
}

TReplaceAction TEditorSearchReplace::Ask(const TTextMatch& match) {
  if (!OnReplaceText) return raReplace;
  int line = 0, index = 0;
  Editor->lineIndexFromPosition(static_cast<int>(Byte(match.Start)), &line, &index);
  return OnReplaceText(Search, Replacement, line, index);
}

// The search goes on past the match, which is now length long; past an empty match by one
// character more, so that it is not found again.
void TEditorSearchReplace::GoPast(const TTextMatch& match, qsizetype length) {
  if (Options.Backwards) {
    RangeEnd = match.Empty() ? TTextSearchEngine::Previous(Text, match.Start) : match.Start;
    return;
  }
  const qsizetype end = match.Start + length;
  RangeStart = match.Empty() ? TTextSearchEngine::Next(Text, end) : end;
}

void TEditorSearchReplace::ReplaceOne(const TTextMatch& match) {
  const QString with = Engine->Replacement(match);  // before the text changes under the match
  ReplaceText(match.Start, match.End, with);
  Select(match.Start, match.Start + with.size());
  GoPast(match, with.size());
}

// This match and all that follow it, with one change of the editor's text: one undo step. The
// editor would lay out every wrapped line of the changed range before returning (seconds for a
// long text); without wrapping during the change, it wraps them again while the program is idle.
int TEditorSearchReplace::ReplaceRest(const TTextMatch& match) {
  const TWrapPause unwrapped(Editor);
  Editor->beginUndoAction();
  const int count = ReplaceThisAndFollowing(match);
  Editor->endUndoAction();
  return count;
}

int TEditorSearchReplace::ReplaceThisAndFollowing(const TTextMatch& match) {
  int current = 0;
  if (Options.Backwards) {
    ReplaceOne(match);
    current = 1;
  }
  const TReplaceAllResult rest =
      Engine->ReplaceAll(Text, Options.Backwards ? RangeStart : match.Start, RangeEnd);
  if (rest.Count) {
    ReplaceText(rest.First, rest.Last, rest.Text);
    const qsizetype piece = rest.First + (Options.Backwards ? 0 : rest.LastPiece);
    Select(piece, piece + (Options.Backwards ? rest.FirstPieceLength : rest.LastPieceLength));
  }
  return current + static_cast<int>(rest.Count);
}

void TEditorSearchReplace::ReplaceText(qsizetype first, qsizetype last, const QString& with) {
  const long from = Byte(first);
  const long to = Byte(last);
  const QByteArray bytes = with.toUtf8();
  Editor->beginUndoAction();
  Editor->SendScintilla(QsciScintilla::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
  Editor->SendScintilla(QsciScintilla::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.constData());
  Editor->endUndoAction();
  Text.replace(first, last - first, with);
  Positions.emplace(Text, first, from);  // the text before the change is as it was
  RangeEnd += with.size() - (last - first);
}

// The match selected, the caret at its end (at its start searching backwards).
void TEditorSearchReplace::Select(qsizetype start, qsizetype end) {
  const long anchor = Byte(Options.Backwards ? end : start);
  const long caret = Byte(Options.Backwards ? start : end);
  ShowLine(caret);
  Editor->SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
}

// A line outside the view comes into the middle of it.
void TEditorSearchReplace::ShowLine(long position) {
  const long line = Editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  const long shown = Editor->SendScintilla(QsciScintilla::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(line));
  const long first = Editor->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE);
  const long rows = Editor->SendScintilla(QsciScintilla::SCI_LINESONSCREEN);
  if (shown < first || shown >= first + rows)
    Editor->SendScintilla(QsciScintilla::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(0L, shown - rows / 2)));
}
