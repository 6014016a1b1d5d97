#pragma once

// TLS as a client on a connected TCP socket (OpenSSL through memory buffers): the handshake,
// records out and in, and the closing alert. All reading and writing goes through the socket's
// own calls, so every wait ends at its deadline like a plain socket's, and a peer that went away
// never raises SIGPIPE.

#include <openssl/types.h>
typedef struct ssl_session_st SSL_SESSION;  // as <openssl/ssl.h> declares it

#include <functional>
#include <memory>
#include <string>

#include "publish/ByteStream.h"

class TTcpSocket;
class TTlsContext;

class TTlsChannel : public TByteStream {
 public:
  using TSession = std::shared_ptr<SSL_SESSION>;

  explicit TTlsChannel(TTcpSocket& socket);
  ~TTlsChannel() override;
  TTlsChannel(const TTlsChannel&) = delete;
  TTlsChannel& operator=(const TTlsChannel&) = delete;

  // The handshake with the server named host (a name, checked against the certificate and sent
  // as SNI, or a numeric address); resume, when given, is a session of the same server to take
  // up again. The certificate's verdict is read afterwards (VerifyResult).
  bool Handshake(const TTlsContext& context, const std::string& host, const TSession& resume,
                 const TDeadline& deadline);

  bool SendAll(const char* data, size_t size, const TDeadline& deadline) override;
  long Receive(char* buffer, size_t size, const TDeadline& deadline) override;
  TFTPError Failure() const override { return Why; }
  // Sends the closing alert (the end of the data, for an FTP data connection).
  bool Close(const TDeadline& deadline);

  // After the handshake: X509_V_OK when the certificate verified for the host, else why not;
  // the certificate's fingerprint; the session now, to resume (null when it cannot be).
  long VerifyResult() const;
  std::string PeerFingerprint() const;
  TSession Session() const;

 private:
  // Runs an OpenSSL call until it completes, moving bytes between the socket and the buffers:
  // its result, 0 at the peer's closing alert, -1 (with Why) on failure.
  int Drive(const std::function<int()>& call, const TDeadline& deadline);
  bool Flush(const TDeadline& deadline);
  bool Fill(const TDeadline& deadline);
  bool Fail(const TFTPError& why);

  TTcpSocket& Socket;
  SSL* Ssl = nullptr;
  BIO* Incoming = nullptr;  // owned by Ssl
  BIO* Outgoing = nullptr;  // owned by Ssl
  TFTPError Why;
};
