#pragma once

// Finds a text or a regular expression in a text and makes the texts that replace the matches.
// The plain engine compares the text as it stands, optionally as a whole word (the editor's
// notion of words: a match must begin and end where the kind of character changes). The regular-
// expression engine runs a Perl-style expression on each whole line by itself, so a match never
// spans a line break and "$" or a look-ahead see the line's true end; a range only chooses which
// of a line's matches count. Both ignore letter case unless MatchCase. Positions are UTF-16 indexes.

#include "generator/InkloomError.h"
#include "project/ReplacementText.h"

#include <QRegularExpression>
#include <QString>
#include <QStringView>

struct TSearchOptions {
  bool MatchCase = false;
  bool WholeWord = false;  // plain engine only
  bool Regex = false;
};

struct TTextMatch {
  qsizetype Start = 0;
  qsizetype End = 0;
  QRegularExpressionMatch Groups;  // regular expressions only
  bool Empty() const { return Start == End; }
};

// What replacing every match of a range gives: Text replaces [First, Last) of the old text.
struct TReplaceAllResult {
  qsizetype Count = 0;
  qsizetype First = 0;
  qsizetype Last = 0;
  QString Text;
  qsizetype FirstPieceLength = 0;  // the first replacement starts Text
  qsizetype LastPiece = 0;         // where the last replacement starts in Text
  qsizetype LastPieceLength = 0;
};

// A regular expression that does not compile: its message is English; a window words it from its
// own table with the parts.
class EPatternError : public EInkloomError {
 public:
  explicit EPatternError(const QRegularExpression& expression);
  QString Pattern;
  QString Reason;  // Qt's, in the interface's language
  qsizetype Offset;
};

class TTextSearchEngine {
 public:
  // Throws EPatternError when a regular expression does not compile.
  TTextSearchEngine(const QString& pattern, const QString& replacement, const TSearchOptions& options);

  // The first match inside [from, to); an empty match may stand at to.
  bool FindForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  // The last match inside [from, to), the regular expression's matches found as FindForward
  // finds them from the start of each line.
  bool FindBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  // The text that replaces match: the replacement expanded for a regular expression, else as it is.
  void AppendReplacement(QString& out, const TTextMatch& match) const;
  QString Replacement(const TTextMatch& match) const;
  // Every match of [from, to) replaced in one pass.
  TReplaceAllResult ReplaceAll(QStringView text, qsizetype from, qsizetype to) const;

  // The position one character after pos (a CR LF pair and a surrogate pair count as one), and
  // before it: where a search goes on past an empty match.
  static qsizetype Next(QStringView text, qsizetype pos);
  static qsizetype Previous(QStringView text, qsizetype pos);

 private:
  TSearchOptions Options;
  QString Pattern;
  QRegularExpression Expression;
  TReplacementText ReplacementTemplate;
  QString PlainReplacement;

  bool PlainForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  bool PlainBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  bool RegexForward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  bool RegexBackward(QStringView text, qsizetype from, qsizetype to, TTextMatch& match) const;
  bool LastInLine(QStringView text, qsizetype lineStart, qsizetype begin, qsizetype to, TTextMatch& match) const;
  bool MatchInLine(QStringView text, qsizetype lineStart, qsizetype lineEnd, qsizetype begin, qsizetype to,
                   TTextMatch& match) const;
  bool Accepted(QStringView text, qsizetype start, qsizetype end) const;
};
