#pragma once

// The connection test, on the worker thread that calls Run: log in with the given settings and
// try to enter their remote root. Outcomes: 0 success, 1 connection or log-in failed, 2 the
// folder could not be entered (Root then holds the folder the server put the user in),
// -1 cancelled.

#include "publish/FTPSettings.h"

#include <QString>

#include <atomic>

class TConnectionTest {
 public:
  TConnectionTest(const TFTPSettings& settings, const std::atomic<bool>& cancelled);

  int Run();
  const QString& Root() const { return TestRoot; }

 private:
  int Try();

  TFTPSettings Settings;
  QString TestRoot;
  const std::atomic<bool>& Cancelled;
};
