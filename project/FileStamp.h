#pragma once

// What a file held when the program last read or wrote it, so that a later change by another
// program (a hand edit, a sync tool, an upload from the command line) is noticed before the
// program writes over it.

#include <QByteArray>
#include <QDateTime>
#include <QString>

class TFileStamp {
 public:
  TFileStamp() = default;
  // The file as it is now; an empty stamp when it does not exist.
  static TFileStamp Of(const QString& fileName);
  // The file as these bytes, just read from it, show it: no second read that another program's
  // write could slip in before.
  // modified: the file's time stamp taken before the bytes were read.
  static TFileStamp OfBytes(const QByteArray& bytes, const QDateTime& modified);
  // The digest a stamp keeps: of a regular file's contents (empty for anything else), of bytes.
  static QByteArray DigestOf(const QString& fileName);
  static QByteArray DigestOfBytes(const QByteArray& bytes);

  // True when the file has other contents than when the stamp was taken. A file touched without
  // a change is the same; a file that is gone is not counted as changed (a save makes it anew).
  // The contents are read only when the size and the time stamp cannot tell.
  bool ChangedOnDisk(const QString& fileName) const;
  bool IsEmpty() const { return Digest.isEmpty(); }

 private:
  qint64 Size = -1;
  QByteArray Digest;
  QDateTime Modified;
  // The contents were found the same once the time stamp was old enough that no later write
  // can share it, even on a file system that keeps time in whole seconds: from then on an
  // unchanged time stamp means unchanged contents.
  mutable bool Settled = false;
};
