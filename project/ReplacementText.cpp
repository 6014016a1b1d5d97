#include "project/ReplacementText.h"

#include <QRegularExpressionMatch>

namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Larger numbers name no group of any expression.
constexpr int kNoGroup = 100000;

}  // namespace

TReplacementText::TReplacementText(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype end = i;
    if (text[i] == u'\\' && i + 1 < text.size()) {
      AddLiteral(text[++i]);
    } else if (const int group = GroupAt(text, i, end); group >= 0) {
      Pieces.push_back({QString(), group});
      i = end - 1;
    } else {
      AddLiteral(text[i]);
    }
  }
}

void TReplacementText::AddLiteral(QChar c) {
  if (Pieces.empty() || Pieces.back().Group >= 0) Pieces.push_back({});
  Pieces.back().Literal += c;
}

int TReplacementText::GroupAt(const QString& text, qsizetype dollar, qsizetype& end) {
  if (text[dollar] != u'$' || dollar + 1 >= text.size()) return -1;
  const QChar next = text[dollar + 1];
  end = dollar + 2;
  if (next == u'&') return 0;
  end = dollar + 1;
  if (IsDigit(next)) return ReadNumber(text, end);
  if (next != u'{') return -1;
  end = dollar + 2;
  const int group = ReadNumber(text, end);
  if (group < 0 || end >= text.size() || text[end] != u'}') return -1;
  ++end;
  return group;
}

// The decimal number at text[at], at moved past it; -1 when there is no digit.
int TReplacementText::ReadNumber(const QString& text, qsizetype& at) {
  const qsizetype start = at;
  int number = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at)
    number = std::min(kNoGroup, number * 10 + (text[at].unicode() - u'0'));
  return at > start ? number : -1;
}

void TReplacementText::AppendTo(QString& out, const QRegularExpressionMatch& match) const {
  for (const TPiece& piece : Pieces) {
    if (piece.Group < 0)
      out += piece.Literal;
    else if (piece.Group <= match.lastCapturedIndex())
      out += match.capturedView(piece.Group);
  }
}

QString TReplacementText::Expand(const QRegularExpressionMatch& match) const {
  QString out;
  AppendTo(out, match);
  return out;
}
