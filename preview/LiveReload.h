#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// The pages of --serve --watch that reload themselves after a rebuild. Every served HTML page
// gets a small script that listens to EventsPath with server-sent events; each listener waits
// here on a thread of the web server until a rebuild finishes, the server stops or a heartbeat
// is due (the heartbeat finds clients that went away). The number of listeners is bounded.
class TLiveReload {
 public:
  // A path no site is likely to hold; it takes precedence over a file of that name.
  static constexpr const char* EventsPath = "/__inkloom/events";
  static constexpr int MaxListeners = 32;
  static constexpr int HeartbeatSeconds = 10;

  enum TWaitResult { wrReload, wrHeartbeat, wrStopped };

  // The page with the listening script before its last "</body>", or at its end.
  static QByteArray AddScript(const QByteArray& page);

  // A new listener; rebuild is the number of the last rebuild, which it has seen. False when
  // MaxListeners wait already or the server stops.
  bool Join(quint64& rebuild);
  void Leave();
  // Blocks until a rebuild after rebuild (which it then names), a heartbeat or Stop.
  TWaitResult Wait(quint64& rebuild);

  // A rebuild finished: every listener is told.
  void Notify();
  // Wakes and ends every listener, and refuses new ones, so that the server can shut down.
  void Stop();

 private:
  std::mutex Lock;
  std::condition_variable Woken;
  quint64 Rebuilds = 0;
  int Listeners = 0;
  bool Stopped = false;
};
