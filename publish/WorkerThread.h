#pragma once

// A worker-thread component: runs one job at a time on a std::thread of its own and, when the
// job has ended, joins the thread and runs the job's ending on the thread the component lives
// on (the user-interface thread), then raises Finished. Starting while a job runs does nothing.

#include <QObject>

#include <functional>
#include <thread>

class TWorkerThread : public QObject {
  Q_OBJECT
 public:
  explicit TWorkerThread(QObject* owner, const char* name);
  // Waits for a job still running: its ending is then never run.
  ~TWorkerThread() override;

  // False (and nothing starts) while a job runs or its ending is still due.
  bool Start(std::function<void()> job, std::function<void()> ending);
  bool Running() const { return Thread.joinable(); }

 Q_SIGNALS:
  void Finished();

 private:
  std::thread Thread;
};
