#pragma once

// Unsaved project text kept on disk while the program runs, so that a crash loses at most the
// last few seconds of typing. One file per open project, in $XDG_STATE_HOME/inkloom/recovery/
// (default ~/.local/state), named after the project. The file holds a header line, the project
// file's path (escaped; empty for an untitled project) and then the text.

#include <QDateTime>
#include <QList>
#include <QString>

struct TRecoveredText {
  QString File;     // the recovery file
  QString Project;  // the project file it belongs to; empty for an untitled project
  QString Text;
  QDateTime Time;   // when it was written
};

class TRecoveryFile {
 public:
  // The folder of the recovery files, ending with "/".
  static QString Folder();
  // The recovery file of a project file; an untitled project's name carries untitledId, so that
  // two programs running at once keep apart.
  static QString PathFor(const QString& projectFile, const QString& untitledId);

  // Writes atomically; raises EInkloomError when the file cannot be written.
  static void Write(const QString& file, const QString& projectFile, const QString& text);
  // False for a file that is no recovery file or cannot be read.
  static bool Read(const QString& file, TRecoveredText& recovered);
  static void Remove(const QString& file);

  // The recovery files worth offering, newest first: those newer than their project file (or
  // whose project is untitled or gone). Files older than their project are stale (the project
  // was saved since) and are removed. Files in use by a running program are left alone.
  static QList<TRecoveredText> Pending();

  // The lock a running program holds on the recovery file it writes.
  static QString LockPath(const QString& file);
};
