#pragma once

// The end of one network wait: a time-out from the moment it is made, or earlier when the job's
// cancel flag is raised. Waits poll in slices short enough that a cancel is noticed within a
// fraction of a second.

#include <atomic>
#include <chrono>

class TDeadline {
 public:
  static constexpr int SliceMilliseconds = 50;

  // cancel may be null (nothing can cancel the wait).
  TDeadline(int timeoutMilliseconds, const std::atomic<bool>* cancel);

  bool Expired() const;
  bool Cancelled() const;
  // How long the next poll may sleep: at most one slice, 0 once the deadline has passed.
  int NextSliceMilliseconds() const;

 private:
  std::chrono::steady_clock::time_point End;
  const std::atomic<bool>* Cancel;
};
