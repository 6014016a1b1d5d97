#pragma once

// What a file held when the program last read or wrote it, so that a later change by another
// program (a hand edit, a sync tool, an upload from the command line) is noticed before the
// program writes over it.

#include <QByteArray>
#include <QString>

class TFileStamp {
 public:
  TFileStamp() = default;
  // The file as it is now; an empty stamp when it does not exist.
  static TFileStamp Of(const QString& fileName);

  // True when the file has other contents than when the stamp was taken. A file touched without
  // a change is the same; a file that is gone is not counted as changed (a save makes it anew).
  bool ChangedOnDisk(const QString& fileName) const;
  bool IsEmpty() const { return Digest.isEmpty(); }

 private:
  qint64 Size = -1;
  QByteArray Digest;
};
