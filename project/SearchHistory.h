#pragma once

// A history of search or replacement texts: at most 10, newest first. It is kept as one string in
// which each text is followed by CR LF, the form the settings file stores (escaped).

#include <QString>
#include <QStringList>

class TSearchHistory {
 public:
  static constexpr int MaxEntries = 10;

  // The texts of a history string; only CR LF parts them, so a text may hold a lone line feed.
  static QStringList Entries(const QString& history);
  // The first MaxEntries texts, each followed by CR LF.
  static QString Text(const QStringList& entries);
  // text first; an entry equal to it regardless of letter case goes. An empty text adds nothing.
  static QStringList Add(QStringList entries, const QString& text);
};
