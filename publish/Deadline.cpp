#include "publish/Deadline.h"

#include <algorithm>

TDeadline::TDeadline(int timeoutMilliseconds, const std::atomic<bool>* cancel)
    : End(std::chrono::steady_clock::now() +
          std::chrono::milliseconds(std::max(timeoutMilliseconds, 0))),
      Cancel(cancel) {}

bool TDeadline::Cancelled() const { return Cancel && Cancel->load(); }

bool TDeadline::Expired() const {
  return Cancelled() || std::chrono::steady_clock::now() >= End;
}

int TDeadline::NextSliceMilliseconds() const {
  if (Expired()) return 0;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                  End - std::chrono::steady_clock::now())
                  .count();
  return static_cast<int>(std::clamp<long long>(left + 1, 1, SliceMilliseconds));
}
