#pragma once

// The TLS settings every connection of one FTPS session shares (OpenSSL): TLS 1.2 or later,
// certificates checked against the system's trust store (which SSL_CERT_FILE and SSL_CERT_DIR
// may replace, as for every OpenSSL program). The handshake itself accepts any certificate;
// whether its outcome is trusted is decided after it, before anything is sent (TFTPSClient),
// so that an untrusted certificate can be shown with its fingerprint.

#include <openssl/types.h>

#include <string>

class TTlsContext {
 public:
  TTlsContext();
  ~TTlsContext();
  TTlsContext(const TTlsContext&) = delete;
  TTlsContext& operator=(const TTlsContext&) = delete;

  SSL_CTX* Handle() const { return Context; }

  // The SHA-256 fingerprint of a certificate as "openssl x509 -noout -fingerprint -sha256"
  // prints it: upper-case hexadecimal pairs joined by colons.
  static std::string Fingerprint(X509* certificate);
  // Whether two fingerprints are the same, ignoring letter case and colons; an empty one is
  // the same as none.
  static bool SameFingerprint(const std::string& one, const std::string& other);
  // The library's reason for the last failure on this thread, for a message.
  static std::string LastLibraryError();

 private:
  SSL_CTX* Context = nullptr;
};
