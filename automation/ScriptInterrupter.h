#pragma once

// Ctrl+C (SIGINT) and SIGTERM while --run-script runs: the signal handler only writes a byte to
// a pipe, all a handler may safely do; a helper thread waiting on the pipe then calls interrupt,
// which may stop the script engine and cancel an upload from there (both take a call from
// another thread). The previous handlers come back when the object goes.

#include <atomic>
#include <functional>
#include <thread>

class TScriptInterrupter {
 public:
  explicit TScriptInterrupter(std::function<void()> interrupt);
  ~TScriptInterrupter();
  TScriptInterrupter(const TScriptInterrupter&) = delete;
  TScriptInterrupter& operator=(const TScriptInterrupter&) = delete;

  bool Interrupted() const { return Signalled; }

 private:
  std::function<void()> Interrupt;
  std::atomic<bool> Signalled{false};
  std::thread Watcher;

  void Watch();
};
