#include "publish/TwofishCipher.h"

#include <gcrypt.h>
#include <string.h>

#include <algorithm>
#include <mutex>

#include "generator/InkloomError.h"

namespace {

// libgcrypt must be initialised once per process before its first use. Nothing here needs
// secure memory: the settings it protects are already in ordinary memory.
void InitialiseLibgcrypt() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
      if (!gcry_check_version(GCRYPT_VERSION))
        throw EInkloomError("libgcrypt is older than the program was built for");
      gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
      gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
  });
}

// Closes the handle, which wipes the expanded key and the feedback register.
struct THandleCloser {
  gcry_cipher_hd_t Handle = nullptr;
  ~THandleCloser() {
    if (Handle) gcry_cipher_close(Handle);
  }
};

}  // namespace

TTwofishCipher::TTwofishCipher(const TBlock& key) : Key(key) { InitialiseLibgcrypt(); }

TTwofishCipher::~TTwofishCipher() { explicit_bzero(Key.data(), Key.size()); }

void TTwofishCipher::Run(int mode, const TBlock* iv, bool encrypt, std::string& data) const {
  if (data.empty()) return;
  THandleCloser cipher;
  gcry_error_t error = gcry_cipher_open(&cipher.Handle, GCRY_CIPHER_TWOFISH128, mode, 0);
  if (!error) error = gcry_cipher_setkey(cipher.Handle, Key.data(), Key.size());
  if (!error && iv) error = gcry_cipher_setiv(cipher.Handle, iv->data(), iv->size());
  if (!error) {
    auto* bytes = reinterpret_cast<unsigned char*>(data.data());
    error = encrypt ? gcry_cipher_encrypt(cipher.Handle, bytes, data.size(), nullptr, 0)
                    : gcry_cipher_decrypt(cipher.Handle, bytes, data.size(), nullptr, 0);
  }
  if (error) throw EInkloomError(std::string("Twofish: ") + gcry_strerror(error));
}

TTwofishCipher::TBlock TTwofishCipher::EncipherBlock(const TBlock& block) const {
  std::string data(block.begin(), block.end());
  Run(GCRY_CIPHER_MODE_ECB, nullptr, true, data);
  TBlock result;
  std::copy(data.begin(), data.end(), result.begin());
  return result;
}

std::string TTwofishCipher::EncryptCFB8(const TBlock& iv, std::string_view clear) const {
  std::string data(clear);
  Run(GCRY_CIPHER_MODE_CFB8, &iv, true, data);
  return data;
}

std::string TTwofishCipher::DecryptCFB8(const TBlock& iv, std::string_view cipher) const {
  std::string data(cipher);
  Run(GCRY_CIPHER_MODE_CFB8, &iv, false, data);
  return data;
}
