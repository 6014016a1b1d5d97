#pragma once

#include "preview/ConnectionGuard.h"
#include "preview/RequestGate.h"

#include <QReadWriteLock>
#include <QtGlobal>

struct MHD_Daemon;
class TLiveReload;
class TSSIPreviewModule;

// A web server on 127.0.0.1 that answers GET and HEAD requests with the preview module's
// answers (libmicrohttpd). Each connection has a thread of its own, so that pages waiting for a
// rebuild (live reload) do not hold up other requests; connections are limited in number and
// closed when idle, and those that do not send their request in time make room for others.
class TPreviewHttpServer {
 public:
  // Room for the clients the guard lets wait, the live reload's listeners and requests besides.
  static constexpr unsigned MaxConnections = 128;
  static constexpr unsigned IdleSeconds = 30;
  // Answers made at once, and how long a request waits for its turn before it is told to come
  // back later (503).
  static constexpr int MaxAnswering = 4;
  static constexpr int AnswerWaitSeconds = 20;

  // With liveReload, HTML pages get its script and its events are sent on its path.
  explicit TPreviewHttpServer(const TSSIPreviewModule& module, TLiveReload* liveReload = nullptr);
  ~TPreviewHttpServer();
  TPreviewHttpServer(const TPreviewHttpServer&) = delete;
  TPreviewHttpServer& operator=(const TPreviewHttpServer&) = delete;

  // Listens on port (0: a free one); false when the port cannot be had.
  bool Start(quint16 port);
  // Ends the live reload's listeners too, and waits for every connection to end.
  void Stop();
  // The port it listens on; 0 when it is not running.
  quint16 Port() const { return ListeningPort; }

  const TSSIPreviewModule& Module() const { return PreviewModule; }
  TLiveReload* LiveReload() const { return LiveReloadEvents; }
  // Held for reading while a request is answered from the output folder; whoever changes the
  // folder or the module's settings while the server runs (a rebuild) holds it for writing.
  QReadWriteLock& SiteLock() { return Site; }
  TConnectionGuard& Guard() { return Connections; }
  TRequestGate& Answering() { return AnswerGate; }

 private:
  const TSSIPreviewModule& PreviewModule;
  TLiveReload* LiveReloadEvents;
  QReadWriteLock Site;
  TConnectionGuard Connections;
  TRequestGate AnswerGate{MaxAnswering};
  MHD_Daemon* Daemon = nullptr;
  quint16 ListeningPort = 0;
};
