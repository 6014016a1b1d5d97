#pragma once

// An upload run reported as lines, the way --upload reports it: one line per file the first time
// the run reaches it ("Upload file: sub/page.html (2 of 5)"), then a plain statement of the
// outcome and a line for each file not sent. Texts in the interface's current language.

#include "services/LocalStrings.h"
#include "services/MultiActionHandler.h"

#include <QObject>

#include <atomic>
#include <cstdio>

class TFTPUploadModule;

class TUploadProgressLines : public QObject {
  Q_OBJECT
 public:
  // Listens to the module's progress until destroyed; stream takes the lines.
  TUploadProgressLines(TFTPUploadModule& module, FILE* stream);

  void PrintOutcome(int outcome) const;

 private:
  TFTPUploadModule& Module;
  FILE* Stream;
  TLocalStrings ProgressTexts;
  TLocalStrings ModuleTexts;
  TMultiActionHandler Handler;
  std::atomic<int> Shown{-1};  // progress arrives on the upload's worker thread

  void ShowProgress();
  void Print(const QString& line) const;
};
