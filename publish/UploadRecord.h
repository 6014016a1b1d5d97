#pragma once

// The record of uploaded files: lines "relative path=MD5 digest", the path with "\" between
// folder names. A line's name ends at its first "="; names are compared without regard to ASCII
// letter case.

#include <QString>
#include <QStringList>

class TUploadRecord {
 public:
  explicit TUploadRecord(QStringList& lines) : Lines(lines) {}

  // The digest recorded for path; empty when it has no entry.
  QString Digest(const QString& path) const;
  // Records a file sent: the digest of its entry is replaced (the entry keeps its own spelling
  // of the name), or a line is appended. A name holding "=" cannot be read back from a line and
  // is not recorded; false then.
  bool Store(const QString& path, const QString& digest);

  // Brings into this record what a run changed between its record before and after: entries
  // the run stored are stored here too; entries the run did not touch stay as they are here.
  // Entries the run removed (files it deleted from the server) go from here too.
  void ApplyChanges(const QStringList& before, const QStringList& after);
  // Drops the entry of path; false when it has none.
  bool Remove(const QString& path);
  // The paths of the entries of lines, in their own spelling.
  static QStringList Names(const QStringList& lines);
  // A name as SameName compares it, to look names up in a set.
  static QString Key(const QString& name);

  static bool SameName(const QString& a, const QString& b);
  // The lines of a record as the project file holds it, whatever its line ends.
  static QStringList Parse(QString text);

 private:
  int IndexOf(const QString& path) const;

  QStringList& Lines;
};
