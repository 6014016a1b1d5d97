#include "preview/ConnectionGuard.h"

#include <sys/socket.h>

#include <algorithm>

TConnectionGuard::TConnectionGuard() : Watcher([this] { Watch(); }) {}

TConnectionGuard::~TConnectionGuard() {
  {
    const std::lock_guard<std::mutex> locked(Lock);
    Stopping = true;
  }
  Woken.notify_all();
  Watcher.join();
}

void TConnectionGuard::Waiting(const void* connection, int fd) {
  const std::lock_guard<std::mutex> locked(Lock);
  if (fd < 0) return;
  if (Waiters.size() >= MaxWaiting) CloseOldest();
  Waiters[connection] = TWaiter{fd, TClock::now()};
}

void TConnectionGuard::Arrived(const void* connection) {
  const std::lock_guard<std::mutex> locked(Lock);
  Waiters.erase(connection);
}

void TConnectionGuard::Closed(const void* connection) { Arrived(connection); }

// Looks once a second for connections that waited too long, until the guard ends.
void TConnectionGuard::Watch() {
  std::unique_lock<std::mutex> locked(Lock);
  while (!Stopping) {
    Woken.wait_for(locked, std::chrono::seconds(1));
    CloseExpired();
  }
}

void TConnectionGuard::CloseExpired() {
  const TClock::time_point due = TClock::now() - std::chrono::seconds(HeaderSeconds);
  for (auto waiter = Waiters.begin(); waiter != Waiters.end();) {
    auto next = std::next(waiter);
    if (waiter->second.Since <= due) Close(waiter);
    waiter = next;
  }
}

void TConnectionGuard::CloseOldest() {
  const auto oldest = std::min_element(Waiters.begin(), Waiters.end(), [](const auto& a, const auto& b) {
    return a.second.Since < b.second.Since;
  });
  if (oldest != Waiters.end()) Close(oldest);
}

// The server's own thread for the connection sees the socket end and closes it; the socket stays
// open until then (it is closed only after Closed), so the descriptor still names it here.
void TConnectionGuard::Close(std::unordered_map<const void*, TWaiter>::iterator waiter) {
  ::shutdown(waiter->second.Fd, SHUT_RDWR);
  Waiters.erase(waiter);
}
