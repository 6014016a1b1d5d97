#include "project/SearchHistory.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

}  // namespace

QStringList TSearchHistory::Entries(const QString& history) {
  return history.split(kLineEnd, Qt::SkipEmptyParts);
}

QString TSearchHistory::Text(const QStringList& entries) {
  QString text;
  for (const QString& entry : entries.mid(0, MaxEntries)) text += entry + kLineEnd;
  return text;
}

QStringList TSearchHistory::Add(QStringList entries, const QString& text) {
  if (text.isEmpty()) return entries;
  entries.removeIf([&text](const QString& entry) { return entry.compare(text, Qt::CaseInsensitive) == 0; });
  entries.prepend(text);
  return entries;
}
