#pragma once

// Keeps the unsaved text of the open project in its recovery file: written a few seconds after
// typing stops, and at the latest half a minute after the first change not yet written, so a
// crash loses little; removed once the text is saved or knowingly discarded. While it holds a
// file, a lock tells other running programs not to offer that file for recovery.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class TRecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  // text and projectFile give the editor's text and the project file's name when a write is due.
  TRecoveryKeeper(std::function<QString()> text, std::function<QString()> projectFile,
                  QObject* owner = nullptr);
  ~TRecoveryKeeper() override;

  // The text changed and is unsaved: schedules a write.
  void Changed();
  // Writes now when a write is due.
  void Flush();
  // The text is saved or discarded: the recovery file goes.
  void Discard();

  const QString& CurrentFile() const { return File; }
  int QuietDelay = 3000;   // milliseconds after the last change
  int LongestDelay = 30000;  // milliseconds after the first change not yet written

 private:
  std::function<QString()> Text;
  std::function<QString()> ProjectFile;
  QString UntitledId;
  QString File;
  std::unique_ptr<QLockFile> Lock;
  QTimer Quiet;
  QTimer Longest;

  void Write();
  void TakeFile(const QString& file);
};
