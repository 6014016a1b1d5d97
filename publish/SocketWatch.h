#pragma once

// A watch over a socket that a library reads and writes on its own, with waits of its own
// choosing (libssh): while armed, a helper thread shuts the socket down when the time-out has
// passed or the job's cancel flag is raised, which ends any wait of the library at once. The
// session on the socket is then lost, as an FTP connection is after a failed wait.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "publish/FTPError.h"

class TSocketWatch {
 public:
  TSocketWatch() = default;
  // Stops the helper thread.
  ~TSocketWatch();
  TSocketWatch(const TSocketWatch&) = delete;
  TSocketWatch& operator=(const TSocketWatch&) = delete;

  // Watches socket for one call of the library; cancel may be null.
  void Arm(int socket, int timeoutMilliseconds, const std::atomic<bool>* cancel);
  // Ends the watch: feTimeout or feCancelled when it shut the socket down (now or during an
  // earlier call), feNone otherwise.
  TFTPError::TKind Disarm();
  // Forgets that the socket was shut down, for a new session.
  void Reset();

 private:
  void Watch();
  // Whether the armed call is over its limits; shuts the socket down when it is.
  bool Strike();

  std::mutex Lock;
  std::condition_variable Changed;
  std::thread Thread;
  bool Stopping = false;
  bool Armed = false;
  int Socket = -1;
  std::chrono::steady_clock::time_point End;
  const std::atomic<bool>* Cancel = nullptr;
  TFTPError::TKind Struck = TFTPError::feNone;
};
