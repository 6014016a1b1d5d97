#include "preview/LiveReload.h"

#include <chrono>

QByteArray TLiveReload::AddScript(const QByteArray& page) {
  // Reloads the page when the server tells of a rebuild. EventSource connects again by itself
  // when the connection drops (the server ended the stream, or was restarted).
  static const QByteArray script = QByteArrayLiteral("<script>/* inkloom --watch */new EventSource(\"") +
                                   EventsPath + "\").onmessage=function(){location.reload();};</script>";
  const qsizetype body = page.toLower().lastIndexOf("</body");
  return QByteArray(page).insert(body >= 0 ? body : page.size(), script);
}

bool TLiveReload::Join(quint64& rebuild) {
  const std::lock_guard<std::mutex> locked(Lock);
  if (Stopped || Listeners >= MaxListeners) return false;
  ++Listeners;
  rebuild = Rebuilds;
  return true;
}

void TLiveReload::Leave() {
  const std::lock_guard<std::mutex> locked(Lock);
  --Listeners;
}

TLiveReload::TWaitResult TLiveReload::Wait(quint64& rebuild) {
  std::unique_lock<std::mutex> locked(Lock);
  const bool woken = Woken.wait_for(locked, std::chrono::seconds(HeartbeatSeconds),
                                    [&] { return Stopped || Rebuilds != rebuild; });
  if (Stopped) return wrStopped;
  if (!woken) return wrHeartbeat;
  rebuild = Rebuilds;
  return wrReload;
}

void TLiveReload::Notify() {
  {
    const std::lock_guard<std::mutex> locked(Lock);
    ++Rebuilds;
  }
  Woken.notify_all();
}

void TLiveReload::Stop() {
  {
    const std::lock_guard<std::mutex> locked(Lock);
    Stopped = true;
  }
  Woken.notify_all();
}
