#pragma once

// How many answers the preview server makes at once. An answer may read a page of up to
// TSSIPreviewModule::MaxExpandedPage and expand its includes into a few times that; with one
// thread per connection, every connection doing so at once would take gigabytes. The others
// wait their turn, for a bounded time.

#include <chrono>
#include <condition_variable>
#include <mutex>

class TRequestGate {
 public:
  explicit TRequestGate(int places) : Free(places) {}

  // A place held while it lives; Entered() is false when none came free in time.
  class TPass {
   public:
    TPass(TRequestGate& gate, std::chrono::milliseconds wait);
    ~TPass();
    TPass(const TPass&) = delete;
    TPass& operator=(const TPass&) = delete;
    bool Entered() const { return Held; }

   private:
    TRequestGate& Gate;
    bool Held;
  };

 private:
  std::mutex Mutex;
  std::condition_variable Freed;
  int Free;

  bool Enter(std::chrono::milliseconds wait);
  void Leave();
};
