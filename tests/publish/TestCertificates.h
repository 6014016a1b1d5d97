#pragma once

// Server certificates for the FTPS tests, made with openssl in a scratch folder: one signed by
// itself, and two signed by a test authority (which SSL_CERT_FILE can make trusted), for
// 127.0.0.1 and for another name. Each server file holds the key and the certificate.

#include <string>

#include "ScratchFolder.h"

class TTestCertificates {
 public:
  TTestCertificates();

  std::string SelfSigned() const { return File("self.pem"); }
  std::string SignedForHost() const { return File("host.pem"); }
  std::string SignedForOtherName() const { return File("other.pem"); }
  std::string Authority() const { return File("ca.crt"); }
  // As "openssl x509 -noout -fingerprint -sha256" prints it, without its label.
  static std::string Fingerprint(const std::string& pem);

 private:
  std::string File(const char* name) const { return (Folder.Path() / name).string(); }
  TScratchFolder Folder;
};
