#pragma once

// FTP with explicit TLS (FTPS): after the greeting, AUTH TLS secures the control connection,
// PBSZ 0 and PROT P secure every data connection, which resumes the control connection's TLS
// session (servers may refuse a data connection that does not). A server that refuses TLS is
// left without a word more: there is no falling back to plain FTP.
//
// The certificate must verify against the system's trust store and the server's name, or have
// the SHA-256 fingerprint the user trusted; otherwise the connection ends before the log-in with
// feCertificateUntrusted and the fingerprint. Each data connection must present the same
// certificate as the control connection.

#include <string>

#include "publish/FTPClient.h"
#include "publish/TlsChannel.h"
#include "publish/TlsContext.h"

class TFTPSClient : public TFTPClient {
 public:
  // trustedFingerprint: a certificate the user trusts although it does not verify, as
  // TTlsContext::Fingerprint gives it (letter case and colons do not matter); may be empty.
  explicit TFTPSClient(std::string trustedFingerprint);
  ~TFTPSClient() override;

 protected:
  bool Secure() override;
  TByteStream* OpenData(TTcpSocket& data) override;
  void CloseData(TTcpSocket& data) override;

 private:
  // The control connection's certificate, once its handshake is over: trusted or refused.
  bool TrustServer();
  bool Protect();
  // Forgets the data stream, keeping why; null.
  TByteStream* DataFailed(const TFTPError& why);
  std::string HostName() const;

  std::string TrustedFingerprint;
  TTlsContext Context;
  std::string ServerFingerprint;  // of the certificate the control connection accepted
  std::unique_ptr<TTlsChannel> Data;
  TTlsChannel::TSession Resume;  // the newest session, for the next data connection
};
