#pragma once

// The connection test dialog, shown while a test runs: its bar fills with the time the test
// may take (the module's Timeout), Cancel stops the test, and the test's end closes it.

#include "publish/FTPJobDialog.h"

class QTimer;
class TMultiActionHandler;

class TFTPUploadTestForm : public TFTPJobDialog {
  Q_OBJECT
 public:
  explicit TFTPUploadTestForm(QWidget* parent = nullptr);

 private:
  void TimerTimer();

  QTimer* Timer = nullptr;
  TMultiActionHandler* TestComleteHandler = nullptr;
};
