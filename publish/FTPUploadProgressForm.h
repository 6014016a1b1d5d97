#pragma once

// The upload progress dialog: the server being connected to, then the file being sent with its
// number, and a bar of the files done. It follows the run through the module's events, stops
// it with Cancel and is closed by the run's end only.

#include "publish/FTPJobDialog.h"

#include <QString>

class TFTPUploadProgressForm : public TFTPJobDialog {
  Q_OBJECT
 public:
  explicit TFTPUploadProgressForm(QWidget* parent = nullptr);

 private:
  // On the upload's worker thread: reads the run's state there and hands it to the
  // user-interface thread, which alone changes the controls.
  void FileHandlerExecute(QObject* sender);
  void ShowProgress(int pendingCount, int index, const QString& file);

  TMultiActionHandler* FileHandler = nullptr;
  TMultiActionHandler* UploadCompleteHandler = nullptr;
  // What was handed over last (worker thread only): the event fires for every block sent, the
  // display changes only with the file.
  int ShownCount = -1;
  int ShownIndex = -2;
};
