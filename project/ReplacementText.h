#pragma once

// The replacement text of a regular-expression replace. "$1" or "${1}" inserts that group of the
// match, "$&" and "$0" the whole match, a backslash makes the next character literal, and any
// other "$" stays as it is. The text is parsed once and expanded for every match.

#include <QString>

#include <vector>

class QRegularExpressionMatch;

class TReplacementText {
 public:
  explicit TReplacementText(const QString& text);

  // Appends the expansion for match to out. A group the match does not have inserts nothing.
  void AppendTo(QString& out, const QRegularExpressionMatch& match) const;
  QString Expand(const QRegularExpressionMatch& match) const;

 private:
  // A group of the match when Group is not negative, else the literal text.
  struct TPiece {
    QString Literal;
    int Group = -1;
  };
  std::vector<TPiece> Pieces;

  void AddLiteral(QChar c);
  // The group that "$" at text[dollar] names; -1 when it names none. end: after the reference.
  static int GroupAt(const QString& text, qsizetype dollar, qsizetype& end);
  static int ReadNumber(const QString& text, qsizetype& at);
};
