#include "preview/PreviewHttpServer.h"

#include "preview/LiveReload.h"
#include "preview/SSIPreview.h"

#include <QFile>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// The request path is handed on still percent-encoded: the preview module decodes it itself and
// refuses what leads outside the output folder.
size_t KeepEscapes(void*, MHD_Connection*, char* text) { return std::strlen(text); }

// Queues a response (made by the caller, freed here) with a header; false without a response.
MHD_Result Queue(MHD_Connection* connection, unsigned int status, MHD_Response* response,
                 const char* header, const QByteArray& value) {
  if (!response) return MHD_NO;
  MHD_add_response_header(response, header, value.constData());
  const MHD_Result result = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return result;
}

MHD_Result Send(MHD_Connection* connection, unsigned int status, const QByteArray& type,
                const QByteArray& body) {
  MHD_Response* response = MHD_create_response_from_buffer(
      static_cast<size_t>(body.size()), const_cast<char*>(body.constData()), MHD_RESPMEM_MUST_COPY);
  return Queue(connection, status, response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
}

MHD_Result NotFound(MHD_Connection* connection) {
  return Send(connection, MHD_HTTP_NOT_FOUND, "text/plain", "Not found\n");
}

// A file sent as it is, read by the server as the connection takes it.
MHD_Result SendFile(MHD_Connection* connection, const QByteArray& type, const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return NotFound(connection);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return NotFound(connection);
  }
  MHD_Response* response = MHD_create_response_from_fd64(static_cast<uint64_t>(info.st_size), fd);
  if (!response) ::close(fd);  // otherwise the response owns it
  return Queue(connection, MHD_HTTP_OK, response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
}

// One page listening for rebuilds: the rest of the message being sent.
struct TEventStream {
  TLiveReload& Events;
  quint64 Rebuild = 0;
  QByteArray Pending;
  bool Done = false;
};

// Waits for the next message; false when the stream ends. It ends after the reload notice: the
// page reloads and listens afresh, and the listener's place is free at once.
bool NextEvent(TEventStream& stream) {
  if (stream.Done) return false;
  switch (stream.Events.Wait(stream.Rebuild)) {
    case TLiveReload::wrReload:
      stream.Pending = "data: reload\n\n";
      stream.Done = true;
      return true;
    case TLiveReload::wrHeartbeat:
      stream.Pending = ": heartbeat\n\n";
      return true;
    default:
      return false;
  }
}

ssize_t ReadEvents(void* cls, uint64_t, char* buffer, size_t max) {
  auto* stream = static_cast<TEventStream*>(cls);
  if (stream->Pending.isEmpty() && !NextEvent(*stream)) return MHD_CONTENT_READER_END_OF_STREAM;
  const size_t size = std::min(max, static_cast<size_t>(stream->Pending.size()));
  std::memcpy(buffer, stream->Pending.constData(), size);
  stream->Pending.remove(0, static_cast<qsizetype>(size));
  return static_cast<ssize_t>(size);
}

void EndEvents(void* cls) {
  auto* stream = static_cast<TEventStream*>(cls);
  stream->Events.Leave();
  delete stream;
}

// Server-sent events on the connection's own thread until the next rebuild.
MHD_Result SendEvents(MHD_Connection* connection, TLiveReload& events) {
  auto* stream = new TEventStream{events, 0, QByteArray(), false};
  if (!events.Join(stream->Rebuild)) {
    delete stream;
    return Send(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "text/plain", "Too many pages wait.\n");
  }
  // Sent at once, so that the client knows it is listening.
  stream->Pending = "retry: 1000\n: listening\n\n";
  MHD_Response* response =
      MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1024, &ReadEvents, stream, &EndEvents);
  if (!response) {
    EndEvents(stream);
    return MHD_NO;
  }
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
  return Queue(connection, MHD_HTTP_OK, response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream");
}

// A Location that stays on this server: one leading "/" ("//name/" and "/\\name/" name another
// host), control characters and bytes beyond ASCII escaped (browsers drop tabs and line breaks
// from a URL, which would join slashes again).
QByteArray SameHostLocation(const QString& redirect) {
  QByteArray path;
  for (const char c : redirect.toUtf8()) {
    const auto byte = static_cast<unsigned char>(c);
    path += byte > 0x20 && byte < 0x7F ? QByteArray(1, c)
                                       : '%' + QByteArray::number(byte, 16).rightJustified(2, '0');
  }
  qsizetype leading = 0;
  while (leading < path.size() && (path[leading] == '/' || path[leading] == '\\')) ++leading;
  return '/' + path.mid(leading);
}

MHD_Result SendAnswer(MHD_Connection* connection, const TPreviewAnswer& answer,
                      const TLiveReload* liveReload) {
  if (!answer.Redirect.isEmpty())
    return Queue(connection, MHD_HTTP_MOVED_PERMANENTLY,
                 MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT),
                 MHD_HTTP_HEADER_LOCATION, SameHostLocation(answer.Redirect));
  if (!answer.Found) return NotFound(connection);
  if (!answer.Refusal.isEmpty())
    return Send(connection, MHD_HTTP_CONTENT_TOO_LARGE, answer.ContentType, answer.Refusal);
  if (!answer.File.isEmpty()) return SendFile(connection, answer.ContentType, answer.File);
  // Only what is sent gets the script; the page on disk stays as generated.
  if (liveReload && answer.ContentType.startsWith("text/html"))
    return Send(connection, MHD_HTTP_OK, answer.ContentType, TLiveReload::AddScript(answer.Body));
  return Send(connection, MHD_HTTP_OK, answer.ContentType, answer.Body);
}

// The request names this server by a name of the loopback interface and its port. A page of
// another site whose name was rebound to 127.0.0.1 sends its own name and is refused, so it
// cannot read the site. Without a Host (HTTP/1.0) there is nothing to check.
bool AddressedHere(MHD_Connection* connection, quint16 port) {
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST);
  if (!host) return true;
  const QByteArray name = QByteArray(host).toLower();
  const QByteArray suffix = ':' + QByteArray::number(port);
  for (const char* loopback : {"127.0.0.1", "localhost", "[::1]"})
    if (name == loopback + suffix || (port == 80 && name == loopback)) return true;
  return false;
}

MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char*, const char*, size_t*, void**) {
  auto* server = static_cast<TPreviewHttpServer*>(cls);
  server->Guard().Arrived(connection);
  if (!AddressedHere(connection, server->Port()))
    return Send(connection, MHD_HTTP_MISDIRECTED_REQUEST, "text/plain", "Misdirected request\n");
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 ||
                   std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  if (!get)
    return Send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "text/plain", "Method not allowed\n");
  if (server->LiveReload() && std::strcmp(url, TLiveReload::EventsPath) == 0)
    return SendEvents(connection, *server->LiveReload());
  const TRequestGate::TPass pass(server->Answering(), std::chrono::seconds(TPreviewHttpServer::AnswerWaitSeconds));
  if (!pass.Entered())
    return Send(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "text/plain", "Too many pages are being answered.\n");
  // A rebuild waits until the answer is made: a page read whole, another file opened.
  const QReadLocker reading(&server->SiteLock());
  return SendAnswer(connection, server->Module().Answer(QString::fromUtf8(url)), server->LiveReload());
}

int SocketOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  return info ? info->connect_fd : -1;
}

// A connection waits for its first request from its start.
void ConnectionChanged(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
  TConnectionGuard& guard = static_cast<TPreviewHttpServer*>(cls)->Guard();
  if (code == MHD_CONNECTION_NOTIFY_STARTED)
    guard.Waiting(connection, SocketOf(connection));
  else
    guard.Closed(connection);
}

// A connection kept open after an answer waits for its next request.
void RequestCompleted(void* cls, MHD_Connection* connection, void**, MHD_RequestTerminationCode code) {
  if (code == MHD_REQUEST_TERMINATED_COMPLETED_OK)
    static_cast<TPreviewHttpServer*>(cls)->Guard().Waiting(connection, SocketOf(connection));
}

}  // namespace

TPreviewHttpServer::TPreviewHttpServer(const TSSIPreviewModule& module, TLiveReload* liveReload)
    : PreviewModule(module), LiveReloadEvents(liveReload) {}

TPreviewHttpServer::~TPreviewHttpServer() { Stop(); }

bool TPreviewHttpServer::Start(quint16 port) {
  Stop();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Daemon = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_AUTO, port, nullptr,
      nullptr, &Answer, this, MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_UNESCAPE_CALLBACK,
      &KeepEscapes, nullptr, MHD_OPTION_CONNECTION_LIMIT, MaxConnections,
      MHD_OPTION_CONNECTION_TIMEOUT, IdleSeconds, MHD_OPTION_NOTIFY_CONNECTION, &ConnectionChanged,
      this, MHD_OPTION_NOTIFY_COMPLETED, &RequestCompleted, this, MHD_OPTION_END);
  if (!Daemon) return false;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(Daemon, MHD_DAEMON_INFO_BIND_PORT);
  ListeningPort = info ? info->port : port;
  return true;
}

void TPreviewHttpServer::Stop() {
  if (!Daemon) return;
  if (LiveReloadEvents) LiveReloadEvents->Stop();  // the waiting connections end
  MHD_stop_daemon(Daemon);
  Daemon = nullptr;
  ListeningPort = 0;
}
