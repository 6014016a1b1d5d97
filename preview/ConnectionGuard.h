#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

// Keeps the places of the preview server for requests. A connection that has not sent a whole
// request (its headers) within HeaderSeconds of its start, or of the end of its last request, is
// closed; when MaxWaiting such connections wait already, a new one closes the oldest. So slow or
// silent clients never hold every place while a browser's request waits.
class TConnectionGuard {
 public:
  static constexpr int HeaderSeconds = 5;
  static constexpr std::size_t MaxWaiting = 48;

  TConnectionGuard();
  ~TConnectionGuard();
  TConnectionGuard(const TConnectionGuard&) = delete;
  TConnectionGuard& operator=(const TConnectionGuard&) = delete;

  // A connection (any key) on the socket fd began, or finished a request and may send another.
  void Waiting(const void* connection, int fd);
  // Its request has arrived; it is not closed while the request is answered.
  void Arrived(const void* connection);
  // It is closed; its socket is no longer touched.
  void Closed(const void* connection);

 private:
  using TClock = std::chrono::steady_clock;
  struct TWaiter {
    int Fd;
    TClock::time_point Since;
  };

  void Watch();
  void CloseExpired();
  void CloseOldest();
  void Close(std::unordered_map<const void*, TWaiter>::iterator waiter);

  std::mutex Lock;
  std::condition_variable Woken;
  bool Stopping = false;
  std::unordered_map<const void*, TWaiter> Waiters;
  std::thread Watcher;
};
