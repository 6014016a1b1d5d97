#include "publish/FTPSClient.h"

#include <openssl/x509.h>

#include <utility>

#include "generator/MiscUtils.h"
#include "publish/Deadline.h"

TFTPSClient::TFTPSClient(std::string trustedFingerprint)
    : TrustedFingerprint(std::move(trustedFingerprint)) {}

// The data stream goes before the control connection it belongs to.
TFTPSClient::~TFTPSClient() {
  Data.reset();
  Disconnect();
}

std::string TFTPSClient::HostName() const {
  return std::string(TrimBlanks(Server));
}

bool TFTPSClient::Secure() {
  TFTPReply reply;
  if (!Exchange("AUTH TLS", reply)) return false;
  if (reply.Code != 234) return Fail(TFTPError::FromReply(reply, TFTPError::feTlsRefused));
  if (!Control.StartTls(Context, HostName())) return Fail(Control.Failure());
  return TrustServer() && Protect();
}

bool TFTPSClient::TrustServer() {
  const TTlsChannel& tls = *Control.Tls();
  ServerFingerprint = tls.PeerFingerprint();
  const long verdict = tls.VerifyResult();
  if (verdict == X509_V_OK || TTlsContext::SameFingerprint(ServerFingerprint, TrustedFingerprint))
    return true;
  TFTPError why(TFTPError::feCertificateUntrusted, X509_verify_cert_error_string(verdict));
  why.Fingerprint = ServerFingerprint;
  // Not a byte more: the log-in must not reach a server nobody vouches for.
  Control.Drop(why);
  return Fail(why);
}

bool TFTPSClient::Protect() {
  TFTPReply reply;
  for (const char* command : {"PBSZ 0", "PROT P"}) {
    if (!Exchange(command, reply)) return false;
    if (!reply.IsPositive()) return Fail(TFTPError::FromReply(reply, TFTPError::feTlsRefused));
  }
  return true;
}

TByteStream* TFTPSClient::OpenData(TTcpSocket& data) {
  const TTlsChannel* control = Control.Tls();
  if (!control) return DataFailed(TFTPError(TFTPError::feNotConnected));
  Data = std::make_unique<TTlsChannel>(data);
  if (!Resume) Resume = control->Session();
  if (!Data->Handshake(Context, HostName(), Resume, Control.Deadline()))
    return DataFailed(Data->Failure());
  // Someone else answering the data connection would get the file.
  if (Data->PeerFingerprint() != ServerFingerprint)
    return DataFailed(
        TFTPError(TFTPError::feSecureChannel, "the data connection presented another certificate"));
  return Data.get();
}

TByteStream* TFTPSClient::DataFailed(const TFTPError& why) {
  Data.reset();
  Fail(why);
  return nullptr;
}

void TFTPSClient::CloseData(TTcpSocket& data) {
  TDeadline deadline = Control.Deadline();
  // The closing alert ends the file. What the server still sends is read to its end: closing
  // a socket with unread data resets the connection, which could cost the server the file's
  // last bytes; and among it are the session tickets the next data connection resumes with
  // (a TLS 1.3 server may take each ticket only once).
  if (Data->Close(deadline)) {
    data.ShutdownSending();
    char buffer[4096];
    while (Data->Receive(buffer, sizeof(buffer), deadline) > 0) {
    }
    if (TTlsChannel::TSession next = Data->Session()) Resume = next;
  }
  Data.reset();
}
