#include "preview/RequestGate.h"

TRequestGate::TPass::TPass(TRequestGate& gate, std::chrono::milliseconds wait)
    : Gate(gate), Held(gate.Enter(wait)) {}

TRequestGate::TPass::~TPass() {
  if (Held) Gate.Leave();
}

bool TRequestGate::Enter(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(Mutex);
  if (!Freed.wait_for(lock, wait, [this] { return Free > 0; })) return false;
  --Free;
  return true;
}

void TRequestGate::Leave() {
  {
    const std::lock_guard<std::mutex> lock(Mutex);
    ++Free;
  }
  Freed.notify_one();
}
