#include "publish/TlsContext.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cctype>

namespace {

// The digits of a fingerprint, upper case, without separators.
std::string Digits(const std::string& fingerprint) {
  std::string digits;
  for (char c : fingerprint)
    if (c != ':') digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return digits;
}

}  // namespace

TTlsContext::TTlsContext() : Context(SSL_CTX_new(TLS_client_method())) {
  if (!Context) return;
  SSL_CTX_set_min_proto_version(Context, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(Context);
  SSL_CTX_set_verify(Context, SSL_VERIFY_NONE, nullptr);
  // Data connections resume the control connection's session; servers may insist on it.
  SSL_CTX_set_session_cache_mode(Context, SSL_SESS_CACHE_CLIENT);
}

TTlsContext::~TTlsContext() {
  SSL_CTX_free(Context);
}

std::string TTlsContext::Fingerprint(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (!certificate || !X509_digest(certificate, EVP_sha256(), digest, &size)) return {};
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < size; ++i) {
    if (i > 0) text += ':';
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

bool TTlsContext::SameFingerprint(const std::string& one, const std::string& other) {
  const std::string digits = Digits(one);
  return !digits.empty() && digits == Digits(other);
}

std::string TTlsContext::LastLibraryError() {
  unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return "TLS protocol error";
  const char* reason = ERR_reason_error_string(code);
  return reason ? reason : "TLS error " + std::to_string(code);
}
