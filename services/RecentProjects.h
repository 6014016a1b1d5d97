#pragma once

// The projects opened or saved last, newest first, kept in the settings file. Only files that
// exist are offered: one that was moved or deleted since drops out of the list.

#include <QString>
#include <QStringList>

class TConfigFile;

class TRecentProjects {
 public:
  static constexpr int MaxCount = 10;

  void Load(const TConfigFile& config);
  void Save(TConfigFile& config) const;
  // Puts the file first; called only for files that were really read or written.
  void Add(const QString& fileName);
  // The entries whose files still exist, newest first.
  QStringList Existing() const;

 private:
  QStringList Names;
};
