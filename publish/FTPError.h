#pragma once

// Why a transfer operation (FTP, FTPS or SFTP) or a publishing job failed: the kind of failure
// and, where there is one, the server's reply or the system's or library's message. The windows
// and --upload turn it into a sentence (TUploadReport).

#include <cstddef>
#include <string>

class TFTPReply;

struct TFTPError {
  enum TKind {
    feNone,
    feNotSet,             // no server name, or no remote folder, in the settings
    feHostNotFound,       // the server's name could not be looked up
    feConnectionRefused,  // nothing accepts connections on that port
    feTimeout,            // the server or the network did not answer in time
    feCancelled,          // the job was cancelled
    feConnectionClosed,   // the server closed or reset the connection
    feNotConnected,       // the operation needs a connection
    feSystem,             // another system error; Detail holds its message
    feReply,              // the server refused the command; Detail holds its reply
    feLogInRefused,       // the server refused the user name or password; Detail holds its reply
    feLocalFile,          // the local file could not be read; Detail holds why
    feUnsendableName,     // the name holds a line break or NUL, which no command can carry
    feUnknownProtocol,    // the project names a protocol this version does not know (Detail)
    feTlsRefused,         // the FTP server refused TLS (AUTH TLS, PROT P); Detail holds its reply
    feSecureChannel,      // TLS or SSH failed; Detail holds the library's message
    feCertificateUntrusted,  // the TLS certificate did not verify; Detail why, and Fingerprint
    feHostKeyUnknown,        // the SSH host key is not in known_hosts; Fingerprint, HostKeyEntry
    feHostKeyChanged,        // known_hosts holds another key for the host; Fingerprint of the new
    feOutsideSite,           // the path leads out of the output or the remote folder
  };

  // A hostile server may send replies of any length: a detail keeps this many bytes at most.
  static constexpr size_t MaxDetail = 300;

  TKind Kind = feNone;
  std::string Detail;
  // For the trust failures: the server's certificate or host key as the user compares it, the
  // SHA-256 fingerprint as "AB:CD:..." (openssl x509 -fingerprint) or "SHA256:..." (ssh-keygen
  // -l); for an unknown host key also the known_hosts line that would trust it.
  std::string Fingerprint;
  std::string HostKeyEntry;

  TFTPError() = default;
  explicit TFTPError(TKind kind, std::string detail = {});

  // An errno value: the kinds above where one fits, else feSystem with the system's message.
  static TFTPError FromSystem(int error);
  // The reply's first line ("530 Login incorrect.").
  static TFTPError FromReply(const TFTPReply& reply, TKind kind = feReply);
};
