#include "publish/WorkerThread.h"

#include <utility>

TWorkerThread::TWorkerThread(QObject* owner, const char* name) : QObject(owner) {
  setObjectName(QLatin1String(name));
}

TWorkerThread::~TWorkerThread() {
  if (Thread.joinable()) Thread.join();
}

bool TWorkerThread::Start(std::function<void()> job, std::function<void()> ending) {
  if (Thread.joinable()) return false;
  Thread = std::thread([this, job = std::move(job), ending = std::move(ending)]() mutable {
    try {
      job();
    } catch (...) {
      // The job's own ending reports its outcome.
    }
    QMetaObject::invokeMethod(
        this,
        [this, ending = std::move(ending)] {
          Thread.join();
          ending();
          Q_EMIT Finished();
        },
        Qt::QueuedConnection);
  });
  return true;
}
