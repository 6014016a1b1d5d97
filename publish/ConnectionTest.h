#pragma once

// The connection test, on the worker thread that calls Run: log in with the given settings (by
// their protocol) and try to enter their remote root. Outcomes: 0 success, 1 connection or log-in
// failed, 2 the folder could not be entered (Root then holds the folder the server put the user
// in), -1 cancelled. Error tells why a test ended with 1 or 2.

#include "publish/FTPError.h"
#include "publish/FTPSettings.h"

#include <QString>

#include <atomic>

class TTransferClient;

class TConnectionTest {
 public:
  TConnectionTest(const TFTPSettings& settings, const std::atomic<bool>& cancelled);

  int Run();
  const QString& Root() const { return TestRoot; }
  const TFTPError& Error() const { return Why; }

 private:
  int Try();
  int EnterRoot(TTransferClient& client);

  TFTPSettings Settings;
  QString TestRoot;
  TFTPError Why;
  const std::atomic<bool>& Cancelled;
};
