#include "generator/PagePipeline.h"

#include <algorithm>

void TPagePipeline::Start(int workers, size_t batch) {
  Stop();
  Failed = Stopping = false;
  BatchSize = std::max<size_t>(batch, 1);
  // A few batches per worker keep every worker busy; more would only hold pages in memory.
  MaxPending = 4 * static_cast<size_t>(std::max(workers, 0)) + 4;
  for (int i = 0; i < workers; ++i) Workers.emplace_back([this] { Work(); });
}

void TPagePipeline::Stop() {
  {
    std::lock_guard<std::mutex> lock(Mutex);
    Stopping = Failed = true;
  }
  WorkReady.notify_all();
  for (std::thread& worker : Workers) worker.join();
  Workers.clear();
  Jobs.clear();
  Forming.clear();
  Front = NextPrepare = NextCommit = End();
  Committing = false;
}

void TPagePipeline::RunSteps(TJob& job, std::function<void()> TSteps::*step) {
  if (job.Error) return;
  try {
    for (TSteps& steps : job.Steps)
      if (steps.*step) (steps.*step)();
  } catch (...) {
    job.Error = std::current_exception();
  }
}

void TPagePipeline::Submit(TSteps steps) {
  if (!Threaded()) {
    for (const std::function<void()>* step : {&steps.Prepare, &steps.Commit, &steps.Absorb})
      if (*step) (*step)();
    return;
  }
  Forming.push_back(std::move(steps));
  if (Forming.size() >= BatchSize) HandOver();
  // Once the limit is reached the submitter waits until half the jobs are done, not for each.
  // Once the limit is reached the submitter waits until half the jobs are done, not for each.
  if (Jobs.size() > MaxPending)
    Absorb(MaxPending / 2, true);
  else
    AbsorbFinished();
}

void TPagePipeline::HandOver() {
  if (Forming.empty()) return;
  {
    std::lock_guard<std::mutex> lock(Mutex);
    Jobs.push_back(std::make_unique<TJob>());
    Jobs.back()->Steps.swap(Forming);
  }
  WorkReady.notify_one();
}

void TPagePipeline::Work() {
  std::unique_lock<std::mutex> lock(Mutex);
  for (;;) {
    WorkReady.wait(lock, [this] { return Stopping || NextPrepare < End(); });
    if (Stopping) return;
    TJob& job = At(NextPrepare++);
    job.State = jsPreparing;
    lock.unlock();
    RunSteps(job, &TSteps::Prepare);
    lock.lock();
    job.State = jsPrepared;
    CommitReady(lock);
  }
}

// Commits the prepared jobs in order, one thread at a time; the lock is let go while a step runs.
void TPagePipeline::CommitReady(std::unique_lock<std::mutex>& lock) {
  if (Committing) return;  // that thread goes on to this job when its turn comes
  Committing = true;
  while (!Failed && NextCommit < End() && At(NextCommit).State == jsPrepared) {
    TJob& job = At(NextCommit);
    lock.unlock();
    RunSteps(job, &TSteps::Commit);
    lock.lock();
    Failed = job.Error != nullptr;
    job.State = jsDone;
    ++NextCommit;
    if (NextCommit > WakeAt || Failed) Progress.notify_all();
  }
  Committing = false;
}

void TPagePipeline::Absorb(size_t leave, bool wait) {
  std::unique_lock<std::mutex> lock(Mutex);
  while (!Jobs.empty()) {
    // A job after a failed one is never done, but the failure is raised before it is reached.
    if (Jobs.front()->State != jsDone) {
      if (!wait || Jobs.size() <= leave) return;
      WakeAt = End() - leave - 1;
      Progress.wait(lock);
      WakeAt = UINT64_MAX;
      continue;
    }
    std::unique_ptr<TJob> job = std::move(Jobs.front());
    Jobs.pop_front();
    ++Front;
    lock.unlock();
    if (job->Error) std::rethrow_exception(job->Error);
    for (TSteps& steps : job->Steps)
      if (steps.Absorb) steps.Absorb();
    lock.lock();
  }
}
