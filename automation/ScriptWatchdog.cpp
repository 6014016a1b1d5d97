#include "automation/ScriptWatchdog.h"

#include <QAbstractEventDispatcher>

TScriptWatchdog::TScriptWatchdog(std::chrono::milliseconds limit, std::function<void()> stop)
    : Limit(limit), Stop(std::move(stop)), LastBeat(TClock::now().time_since_epoch().count()) {
  // The event loop of this thread beats each time it goes to sleep waiting for events.
  QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance();
  Beats = QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, [this] { Beat(); });
  Watcher = std::thread([this] { Watch(); });
}

TScriptWatchdog::~TScriptWatchdog() {
  QObject::disconnect(Beats);
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Finished = true;
  }
  Wake.notify_all();
  Watcher.join();
}

void TScriptWatchdog::Beat() { LastBeat = TClock::now().time_since_epoch().count(); }

void TScriptWatchdog::Watch() {
  std::unique_lock<std::mutex> guard(Lock);
  while (!Finished) {
    Wake.wait_for(guard, std::chrono::milliseconds(100));
    const TClock::duration silent = TClock::now().time_since_epoch() - TClock::duration(LastBeat.load());
    if (Finished || silent < Limit) continue;
    Stopped = true;
    Stop();
    return;
  }
}
