#include "automation/StringLines.h"

// A value holding line breaks becomes several lines, as it would in the editor.
void TStringLines::SetLine(int index, const QString& value) {
  const QStringList parts = WithCrLf(value).split(QStringLiteral("\r\n"));
  Lines[index] = parts.first();
  for (int i = 1; i < parts.size(); ++i) Lines.insert(index + i, parts[i]);
}

void TStringLines::Add(const QStringList& lines) {
  for (const QString& line : lines) Lines += WithCrLf(line).split(QStringLiteral("\r\n"));
  EndsWithBreak = true;
}

void TStringLines::AppendToLast(const QString& text) {
  if (Lines.isEmpty()) {
    Add({text});
    return;
  }
  const QStringList parts = WithCrLf(text).split(QStringLiteral("\r\n"));
  Lines.last() += parts.first();
  Lines += parts.mid(1);
}

QString TStringLines::Text() const {
  const QString text = Lines.join(QStringLiteral("\r\n"));
  return EndsWithBreak && !Lines.isEmpty() ? text + QStringLiteral("\r\n") : text;
}

void TStringLines::SetText(const QString& text) {
  Lines = Split(text);
  EndsWithBreak = WithCrLf(text).endsWith(QStringLiteral("\r\n"));
}
