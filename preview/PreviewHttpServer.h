#pragma once

#include <QtGlobal>

struct MHD_Daemon;
class TSSIPreviewModule;

// A web server on 127.0.0.1 that answers GET and HEAD requests with the preview module's
// answers (libmicrohttpd, on a thread of its own; requests are answered one at a time).
class TPreviewHttpServer {
 public:
  explicit TPreviewHttpServer(const TSSIPreviewModule& module);
  ~TPreviewHttpServer();
  TPreviewHttpServer(const TPreviewHttpServer&) = delete;
  TPreviewHttpServer& operator=(const TPreviewHttpServer&) = delete;

  // Listens on port (0: a free one); false when the port cannot be had.
  bool Start(quint16 port);
  void Stop();
  // The port it listens on; 0 when it is not running.
  quint16 Port() const { return ListeningPort; }

  const TSSIPreviewModule& Module() const { return PreviewModule; }

 private:
  const TSSIPreviewModule& PreviewModule;
  MHD_Daemon* Daemon = nullptr;
  quint16 ListeningPort = 0;
};
