#include "project/TextSearchEngine.h"

#include "generator/InkloomError.h"

namespace {

enum TCharClass { ccSpace, ccWord, ccPunctuation };

bool IsLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

// The editor's classes: letters, marks, digits and "_" make words; blanks, line breaks and
// control characters part them; everything else is punctuation.
TCharClass ClassOf(char32_t c) {
  if (c == u'_') return ccWord;
  switch (QChar::category(c)) {
    case QChar::Letter_Uppercase: case QChar::Letter_Lowercase: case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier: case QChar::Letter_Other: case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining: case QChar::Mark_Enclosing: case QChar::Number_DecimalDigit:
    case QChar::Number_Letter: case QChar::Number_Other:
      return ccWord;
    case QChar::Separator_Space: case QChar::Separator_Line: case QChar::Separator_Paragraph:
    case QChar::Other_Control: case QChar::Other_Format: case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse: case QChar::Other_NotAssigned:
      return ccSpace;
    default:
      return ccPunctuation;
  }
}

TCharClass ClassAfter(QStringView text, qsizetype pos) {
  const QChar c = text[pos];
  if (c.isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate())
    return ClassOf(QChar::surrogateToUcs4(c, text[pos + 1]));
  return ClassOf(c.unicode());
}

TCharClass ClassBefore(QStringView text, qsizetype pos) {
  const QChar c = text[pos - 1];
  if (c.isLowSurrogate() && pos >= 2 && text[pos - 2].isHighSurrogate())
    return ClassOf(QChar::surrogateToUcs4(text[pos - 2], c));
  return ClassOf(c.unicode());
}

bool IsWordStart(QStringView text, qsizetype pos) {
  if (pos >= text.size()) return false;
  const TCharClass here = ClassAfter(text, pos);
  return pos == 0 || (here != ccSpace && here != ClassBefore(text, pos));
}

bool IsWordEnd(QStringView text, qsizetype pos) {
  if (pos <= 0) return false;
  const TCharClass before = ClassBefore(text, pos);
  return pos == text.size() || (before != ccSpace && before != ClassAfter(text, pos));
}

qsizetype LineStartAt(QStringView text, qsizetype pos) {
  while (pos > 0 && !IsLineBreak(text[pos - 1])) --pos;
  return pos;
}

qsizetype LineEndAt(QStringView text, qsizetype pos) {
  while (pos < text.size() && !IsLineBreak(text[pos])) ++pos;
  return pos;
}

Qt::CaseSensitivity CaseOf(const TSearchOptions& options) {
  return options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// A position between the two halves of a CR LF pair or of a surrogate pair.
bool InsidePair(QStringView text, qsizetype pos) {
  if (pos <= 0 || pos >= text.size()) return false;
  return (text[pos - 1] == u'\r' && text[pos] == u'\n') ||
         (text[pos - 1].isHighSurrogate() && text[pos].isLowSurrogate());
}

QString PatternError(const QRegularExpression& expression) {
  return QStringLiteral("The regular expression \"%1\" is not valid: %2 (at offset %3).")
      .arg(expression.pattern(), expression.errorString())
      .arg(expression.patternErrorOffset());
}

}  // namespace

EPatternError::EPatternError(const QRegularExpression& expression)
    : EInkloomError(PatternError(expression).toStdString()),
      Pattern(expression.pattern()),
      Reason(expression.errorString()),
      Offset(expression.patternErrorOffset()) {}

TTextSearchEngine::TTextSearchEngine(const QString& pattern, const QString& replacement,
                                     const TSearchOptions& options)
    : Options(options), Pattern(pattern), ReplacementTemplate(replacement), PlainReplacement(replacement) {
  if (!options.Regex) return;
  QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
  if (!options.MatchCase) flags |= QRegularExpression::CaseInsensitiveOption;
  Expression = QRegularExpression(pattern, flags);
  if (!Expression.isValid()) throw EPatternError(Expression);
  Expression.optimize();
}

qsizetype TTextSearchEngine::Next(QStringView text, qsizetype pos) {
  if (pos < 0 || pos + 1 >= text.size()) return pos + 1;
  const bool pair = (text[pos] == u'\r' && text[pos + 1] == u'\n') ||
                    (text[pos].isHighSurrogate() && text[pos + 1].isLowSurrogate());
  return pos + (pair ? 2 : 1);
}

qsizetype TTextSearchEngine::Previous(QStringView text, qsizetype pos) {
  if (pos < 2 || pos > text.size()) return pos - 1;
  const bool pair = (text[pos - 2] == u'\r' && text[pos - 1] == u'\n') ||
                    (text[pos - 2].isHighSurrogate() && text[pos - 1].isLowSurrogate());
  return pos - (pair ? 2 : 1);
}

bool TTextSearchEngine::FindForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  to = std::min(to, text.size());
  if (InsidePair(text, from)) ++from;
  if (from < 0 || from > to || Pattern.isEmpty()) return false;
  return Options.Regex ? RegexForward(text, from, to, match) : PlainForward(text, from, to, match);
}

bool TTextSearchEngine::FindBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  to = std::min(to, text.size());
  if (InsidePair(text, to)) --to;
  if (from < 0 || from > to || Pattern.isEmpty()) return false;
  return Options.Regex ? RegexBackward(text, from, to, match) : PlainBackward(text, from, to, match);
}

bool TTextSearchEngine::Accepted(QStringView text, qsizetype start, qsizetype end) const {
  return !Options.WholeWord || (IsWordStart(text, start) && IsWordEnd(text, end));
}

bool TTextSearchEngine::PlainForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  const QStringView range = text.first(to);
  for (qsizetype at = from;;) {
    const qsizetype found = range.indexOf(Pattern, at, CaseOf(Options));
    if (found < 0) return false;
    if (Accepted(text, found, found + Pattern.size())) {
      match = {found, found + Pattern.size(), {}};
      return true;
    }
    at = found + 1;
  }
}

bool TTextSearchEngine::PlainBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  const QStringView range = text.first(to);
  for (qsizetype at = to - Pattern.size(); at >= from;) {
    const qsizetype found = range.lastIndexOf(Pattern, at, CaseOf(Options));
    if (found < from) return false;
    if (Accepted(text, found, found + Pattern.size())) {
      match = {found, found + Pattern.size(), {}};
      return true;
    }
    at = found - 1;
  }
  return false;
}

// One line at a time; of a line's matches only those inside [from, to) count.
bool TTextSearchEngine::RegexForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  for (qsizetype lineStart = LineStartAt(text, from);;) {
    const qsizetype lineEnd = LineEndAt(text, lineStart);
    if (MatchInLine(text, lineStart, lineEnd, std::max(from, lineStart), to, match)) return true;
    if (lineEnd >= to) return false;
    lineStart = Next(text, lineEnd);
  }
}

// The first match of the line starting at or after begin that ends by to.
bool TTextSearchEngine::MatchInLine(QStringView text, qsizetype lineStart, qsizetype lineEnd, qsizetype begin,
                                    qsizetype to, TTextMatch& match) const {
  const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
  for (qsizetype at = begin; at <= std::min(lineEnd, to);) {
    QRegularExpressionMatch found = Expression.match(line, at - lineStart);
    const qsizetype start = lineStart + found.capturedStart(0);
    if (!found.hasMatch() || start > to) return false;
    if (lineStart + found.capturedEnd(0) <= to) {
      match = {start, lineStart + found.capturedEnd(0), found};
      return true;
    }
    at = Next(text, start);  // a match ending by to may start later
  }
  return false;
}

bool TTextSearchEngine::RegexBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const {
  for (qsizetype lineStart = LineStartAt(text, to);;) {
    if (LastInLine(text, lineStart, std::max(from, lineStart), to, match)) return true;
    if (lineStart <= from || lineStart == 0) return false;
    lineStart = LineStartAt(text, Previous(text, lineStart));
  }
}

// The last of the line's matches from begin on, as FindForward finds them one after another.
bool TTextSearchEngine::LastInLine(QStringView text, qsizetype lineStart, qsizetype begin, qsizetype to,
                                   TTextMatch& match) const {
  const qsizetype lineEnd = LineEndAt(text, lineStart);
  bool found = false;
  TTextMatch next;
  for (qsizetype at = begin; MatchInLine(text, lineStart, lineEnd, at, to, next);) {
    match = next;
    found = true;
    at = next.Empty() ? Next(text, next.End) : next.End;
  }
  return found;
}

void TTextSearchEngine::AppendReplacement(QString& out, const TTextMatch& match) const {
  if (Options.Regex)
    ReplacementTemplate.AppendTo(out, match.Groups);
  else
    out += PlainReplacement;
}

QString TTextSearchEngine::Replacement(const TTextMatch& match) const {
  QString out;
  AppendReplacement(out, match);
  return out;
}

TReplaceAllResult TTextSearchEngine::ReplaceAll(QStringView text, qsizetype from, qsizetype to) const {
  TReplaceAllResult result;
  TTextMatch match;
  qsizetype copied = from;
  while (FindForward(text, from, to, match)) {
    if (result.Count++ == 0) {
      result.First = copied = match.Start;
      result.Text.reserve(to - match.Start + PlainReplacement.size());
    }
    result.Text += text.sliced(copied, match.Start - copied);
    result.LastPiece = result.Text.size();
    AppendReplacement(result.Text, match);
    result.LastPieceLength = result.Text.size() - result.LastPiece;
    if (result.Count == 1) result.FirstPieceLength = result.LastPieceLength;
    copied = match.End;
    from = match.Empty() ? Next(text, match.End) : match.End;
  }
  result.Last = result.Count ? copied : from;
  return result;
}
