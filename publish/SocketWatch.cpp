#include "publish/SocketWatch.h"

#include <sys/socket.h>

#include "publish/Deadline.h"

TSocketWatch::~TSocketWatch() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Stopping = true;
  }
  Changed.notify_all();
  if (Thread.joinable()) Thread.join();
}

void TSocketWatch::Arm(int socket, int timeoutMilliseconds, const std::atomic<bool>* cancel) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Armed = true;
    Socket = socket;
    End = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    Cancel = cancel;
  }
  if (!Thread.joinable()) Thread = std::thread([this] { Watch(); });
  Changed.notify_all();
}

TFTPError::TKind TSocketWatch::Disarm() {
  std::lock_guard<std::mutex> guard(Lock);
  Armed = false;
  return Struck;
}

void TSocketWatch::Reset() {
  std::lock_guard<std::mutex> guard(Lock);
  Struck = TFTPError::feNone;
}

void TSocketWatch::Watch() {
  std::unique_lock<std::mutex> guard(Lock);
  while (!Stopping) {
    if (!Armed || !Strike())
      Changed.wait_for(guard, std::chrono::milliseconds(TDeadline::SliceMilliseconds));
  }
}

bool TSocketWatch::Strike() {
  const bool cancelled = Cancel && Cancel->load();
  if (!cancelled && std::chrono::steady_clock::now() < End) return false;
  Struck = cancelled ? TFTPError::feCancelled : TFTPError::feTimeout;
  ::shutdown(Socket, SHUT_RDWR);
  Armed = false;
  return true;
}
