#include "automation/LineList.h"

QString TLineList::WithCrLf(const QString& text) {
  if (!text.contains(u'\r') && !text.contains(u'\n')) return text;
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  return lines.replace(u'\n', QStringLiteral("\r\n"));
}

QStringList TLineList::Split(const QString& text) {
  if (text.isEmpty()) return {};
  QStringList lines = WithCrLf(text).split(QStringLiteral("\r\n"));
  if (lines.last().isEmpty()) lines.removeLast();  // the final break ended the last line
  return lines;
}
