#pragma once

// Worker threads for the output files of a generation. Each file is a job of three steps:
// Prepare runs on any worker as soon as one is free (converting, filling the template, the
// character set); Commit runs one job at a time in the order the jobs were submitted (writing
// the file, reading the theme's style sheets); Absorb runs on the submitting thread, also in
// that order (the lists the generator keeps). So the files reach the disk and the generator's
// lists exactly in the order of the project text, whatever the number of workers.
//
// Jobs go to the workers a batch at a time (the handing over costs more than a small page's
// work); a batch goes as soon as it is full or the submitter waits for the jobs. A step that
// raises stops the pipeline there: neither its batch nor any later one is committed, and
// absorbing the batch raises the error on the submitting thread. Without workers every step of
// a job runs at once in Submit, on the caller's thread, and errors propagate as they come.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TPagePipeline {
 public:
  struct TSteps {
    std::function<void()> Prepare;  // may be empty
    std::function<void()> Commit;   // may be empty
    std::function<void()> Absorb;   // may be empty
  };

  TPagePipeline() = default;
  TPagePipeline(const TPagePipeline&) = delete;
  TPagePipeline& operator=(const TPagePipeline&) = delete;
  ~TPagePipeline() { Stop(); }

  // Starts workers for one generation (none: every step at once, in Submit), which take jobs
  // batch jobs at a time.
  void Start(int workers, size_t batch = 8);
  bool Threaded() const { return !Workers.empty(); }
  // Drops the jobs not yet absorbed (nothing more is committed) and ends the workers.
  void Stop();

  void Submit(TSteps steps);
  // Absorbs the jobs at the front that are done, without waiting.
  void AbsorbFinished() { Absorb(SIZE_MAX, false); }
  // Waits for every job and absorbs it.
  void AbsorbAll() {
    HandOver();
    Absorb(0, true);
  }

 private:
  enum TState { jsQueued, jsPreparing, jsPrepared, jsDone };
  struct TJob {
    std::vector<TSteps> Steps;  // a batch
    TState State = jsQueued;
    std::exception_ptr Error;
  };

  // Jobs submitted and not yet absorbed; Front is the number of the first.
  std::deque<std::unique_ptr<TJob>> Jobs;
  uint64_t Front = 0;
  uint64_t NextPrepare = 0;
  uint64_t NextCommit = 0;
  uint64_t WakeAt = UINT64_MAX;  // the job whose commit wakes the waiting submitter
  bool Committing = false;
  bool Failed = false;
  bool Stopping = false;
  size_t MaxPending = 0;
  size_t BatchSize = 1;
  std::vector<TSteps> Forming;  // the batch being filled (the submitter's own)
  std::mutex Mutex;
  std::condition_variable WorkReady;
  std::condition_variable Progress;
  std::vector<std::thread> Workers;

  TJob& At(uint64_t number) { return *Jobs[number - Front]; }
  uint64_t End() const { return Front + Jobs.size(); }
  void Work();
  void CommitReady(std::unique_lock<std::mutex>& lock);
  // Absorbs done jobs from the front until at most leave are pending; waits for them when wait.
  void Absorb(size_t leave, bool wait);
  void HandOver();
  // Runs one step of every job of a batch, in order, until one raises.
  static void RunSteps(TJob& job, std::function<void()> TSteps::*step);
};
