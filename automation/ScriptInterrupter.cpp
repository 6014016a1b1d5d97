#include "automation/ScriptInterrupter.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};
struct sigaction PreviousInt = {}, PreviousTerm = {};
constexpr char kSignalled = 's';
constexpr char kDone = 'd';

extern "C" void OnSignal(int) {
  const int saved = errno;
  [[maybe_unused]] ssize_t written = write(Pipe[1], &kSignalled, 1);
  errno = saved;
}

}  // namespace

TScriptInterrupter::TScriptInterrupter(std::function<void()> interrupt) : Interrupt(std::move(interrupt)) {
  if (pipe(Pipe) != 0) return;
  Watcher = std::thread([this] { Watch(); });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &PreviousInt);
  sigaction(SIGTERM, &action, &PreviousTerm);
}

TScriptInterrupter::~TScriptInterrupter() {
  if (!Watcher.joinable()) return;
  sigaction(SIGINT, &PreviousInt, nullptr);
  sigaction(SIGTERM, &PreviousTerm, nullptr);
  [[maybe_unused]] ssize_t written = write(Pipe[1], &kDone, 1);
  Watcher.join();
  close(Pipe[0]);
  close(Pipe[1]);
}

void TScriptInterrupter::Watch() {
  for (;;) {
    char byte = 0;
    const ssize_t got = read(Pipe[0], &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got != 1 || byte == kDone) return;
    Signalled = true;
    Interrupt();
  }
}
