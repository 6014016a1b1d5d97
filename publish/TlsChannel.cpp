#include "publish/TlsChannel.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>

#include "publish/TcpSocket.h"
#include "publish/TlsContext.h"

namespace {

bool IsNumericAddress(const std::string& host) {
  unsigned char address[16];
  return inet_pton(AF_INET, host.c_str(), address) == 1 ||
         inet_pton(AF_INET6, host.c_str(), address) == 1;
}

// What the certificate must name: the address itself, or the host name (also sent as SNI).
void ExpectHost(SSL* ssl, const std::string& host) {
  if (IsNumericAddress(host)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    return;
  }
  SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  SSL_set1_host(ssl, host.c_str());
  SSL_set_tlsext_host_name(ssl, host.c_str());
}

}  // namespace

TTlsChannel::TTlsChannel(TTcpSocket& socket) : Socket(socket) {}

TTlsChannel::~TTlsChannel() {
  SSL_free(Ssl);
}

bool TTlsChannel::Fail(const TFTPError& why) {
  Why = why;
  return false;
}

bool TTlsChannel::Handshake(const TTlsContext& context, const std::string& host,
                            const TSession& resume, const TDeadline& deadline) {
  SSL_free(Ssl);
  Ssl = context.Handle() ? SSL_new(context.Handle()) : nullptr;
  Incoming = BIO_new(BIO_s_mem());
  Outgoing = BIO_new(BIO_s_mem());
  if (!Ssl || !Incoming || !Outgoing) {
    BIO_free(Incoming);
    BIO_free(Outgoing);
    Incoming = Outgoing = nullptr;
    return Fail(TFTPError(TFTPError::feSecureChannel, TTlsContext::LastLibraryError()));
  }
  SSL_set_bio(Ssl, Incoming, Outgoing);
  SSL_set_connect_state(Ssl);
  ExpectHost(Ssl, host);
  if (resume) SSL_set_session(Ssl, resume.get());
  return Drive([this] { return SSL_do_handshake(Ssl); }, deadline) > 0;
}

int TTlsChannel::Drive(const std::function<int()>& call, const TDeadline& deadline) {
  if (!Ssl) {
    Fail(TFTPError(TFTPError::feNotConnected));
    return -1;
  }
  for (;;) {
    ERR_clear_error();
    const int result = call();
    const int error = result > 0 ? SSL_ERROR_NONE : SSL_get_error(Ssl, result);
    if (error != SSL_ERROR_NONE && error != SSL_ERROR_WANT_READ && error != SSL_ERROR_ZERO_RETURN)
      Why = TFTPError(TFTPError::feSecureChannel, TTlsContext::LastLibraryError());
    // What the call produced goes out first: the server may wait for it before it answers.
    if (!Flush(deadline)) return -1;
    if (error == SSL_ERROR_NONE) return result;
    if (error == SSL_ERROR_ZERO_RETURN) return 0;
    if (error != SSL_ERROR_WANT_READ || !Fill(deadline)) return -1;
  }
}

bool TTlsChannel::Flush(const TDeadline& deadline) {
  char buffer[16384];
  int size;
  while ((size = BIO_read(Outgoing, buffer, sizeof(buffer))) > 0)
    if (!Socket.SendAll(buffer, static_cast<size_t>(size), deadline)) return Fail(Socket.Failure());
  return true;
}

bool TTlsChannel::Fill(const TDeadline& deadline) {
  char buffer[16384];
  const long got = Socket.Receive(buffer, sizeof(buffer), deadline);
  if (got == 0) return Fail(TFTPError(TFTPError::feConnectionClosed));
  if (got < 0) return Fail(Socket.Failure());
  return BIO_write(Incoming, buffer, static_cast<int>(got)) == got ||
         Fail(TFTPError(TFTPError::feSecureChannel, TTlsContext::LastLibraryError()));
}

bool TTlsChannel::SendAll(const char* data, size_t size, const TDeadline& deadline) {
  while (size > 0) {
    const int part = static_cast<int>(std::min<size_t>(size, INT_MAX));
    if (Drive([&] { return SSL_write(Ssl, data, part); }, deadline) <= 0) return false;
    data += part;
    size -= static_cast<size_t>(part);
  }
  return true;
}

long TTlsChannel::Receive(char* buffer, size_t size, const TDeadline& deadline) {
  const int part = static_cast<int>(std::min<size_t>(size, INT_MAX));
  return Drive([&] { return SSL_read(Ssl, buffer, part); }, deadline);
}

bool TTlsChannel::Close(const TDeadline& deadline) {
  if (!Ssl) return false;
  // One alert out is enough: the peer's answer to it is not waited for here.
  SSL_shutdown(Ssl);
  return Flush(deadline);
}

long TTlsChannel::VerifyResult() const {
  return Ssl ? SSL_get_verify_result(Ssl) : X509_V_ERR_UNSPECIFIED;
}

std::string TTlsChannel::PeerFingerprint() const {
  return Ssl ? TTlsContext::Fingerprint(SSL_get0_peer_certificate(Ssl)) : std::string();
}

TTlsChannel::TSession TTlsChannel::Session() const {
  SSL_SESSION* session = Ssl ? SSL_get1_session(Ssl) : nullptr;
  if (session && !SSL_SESSION_is_resumable(session)) {
    SSL_SESSION_free(session);
    session = nullptr;
  }
  return session ? TSession(session, SSL_SESSION_free) : nullptr;
}
