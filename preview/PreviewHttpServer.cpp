#include "preview/PreviewHttpServer.h"

#include "preview/SSIPreview.h"

#include <QFile>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

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

MHD_Result Answer(void* server, MHD_Connection* connection, const char* url, const char* method,
                  const char*, const char*, size_t*, void**) {
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 ||
                   std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  if (!get)
    return Send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "text/plain", "Method not allowed\n");
  const TPreviewAnswer answer =
      static_cast<TPreviewHttpServer*>(server)->Module().Answer(QString::fromUtf8(url));
  if (!answer.Redirect.isEmpty())
    return Queue(connection, MHD_HTTP_MOVED_PERMANENTLY,
                 MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT),
                 MHD_HTTP_HEADER_LOCATION, answer.Redirect.toUtf8());
  if (!answer.Found) return NotFound(connection);
  if (!answer.File.isEmpty()) return SendFile(connection, answer.ContentType, answer.File);
  return Send(connection, MHD_HTTP_OK, answer.ContentType, answer.Body);
}

}  // namespace

TPreviewHttpServer::TPreviewHttpServer(const TSSIPreviewModule& module) : PreviewModule(module) {}

TPreviewHttpServer::~TPreviewHttpServer() { Stop(); }

bool TPreviewHttpServer::Start(quint16 port) {
  Stop();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Daemon = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO, port, nullptr, nullptr,
                            &Answer, this, MHD_OPTION_SOCK_ADDR, &address,
                            MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr, MHD_OPTION_END);
  if (!Daemon) return false;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(Daemon, MHD_DAEMON_INFO_BIND_PORT);
  ListeningPort = info ? info->port : port;
  return true;
}

void TPreviewHttpServer::Stop() {
  if (!Daemon) return;
  MHD_stop_daemon(Daemon);
  Daemon = nullptr;
  ListeningPort = 0;
}
