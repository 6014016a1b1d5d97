#pragma once

// Scripts run on the thread of the windows, which cannot answer the user while a script runs.
// The watchdog stops a script that has kept that thread from waiting in its event loop for longer
// than a limit (a loop that never ends), while a script that waits in an event loop (an upload
// shows its progress) runs on. Only a loop that goes to sleep counts: a member that merely lets
// pending events through (Build repaints) does not, or a loop calling it would never be stopped.
// It watches from a thread of its own; stop is called there.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include <QMetaObject>

class TScriptWatchdog {
 public:
  TScriptWatchdog(std::chrono::milliseconds limit, std::function<void()> stop);
  ~TScriptWatchdog();
  TScriptWatchdog(const TScriptWatchdog&) = delete;
  TScriptWatchdog& operator=(const TScriptWatchdog&) = delete;

  bool Fired() const { return Stopped; }

 private:
  using TClock = std::chrono::steady_clock;
  std::chrono::milliseconds Limit;
  std::function<void()> Stop;
  std::atomic<TClock::rep> LastBeat;
  std::atomic<bool> Stopped{false};
  bool Finished = false;
  std::mutex Lock;
  std::condition_variable Wake;
  QMetaObject::Connection Beats;
  std::thread Watcher;

  void Beat();
  void Watch();
};
