#pragma once

// Twofish with a 128-bit key, on libgcrypt: single blocks, and cipher feedback with 8-bit
// segments (CFB-8), in which every byte is enciphered with the block cipher's output for the
// last 16 cipher-text bytes. The key is wiped when the object goes; libgcrypt wipes its own
// state when each operation's handle closes.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class TTwofishCipher {
 public:
  using TBlock = std::array<uint8_t, 16>;

  explicit TTwofishCipher(const TBlock& key);
  ~TTwofishCipher();
  TTwofishCipher(const TTwofishCipher&) = delete;
  TTwofishCipher& operator=(const TTwofishCipher&) = delete;

  TBlock EncipherBlock(const TBlock& block) const;
  std::string EncryptCFB8(const TBlock& iv, std::string_view clear) const;
  std::string DecryptCFB8(const TBlock& iv, std::string_view cipher) const;

 private:
  // Runs one libgcrypt operation in mode over data, in place. Raises EInkloomError when
  // libgcrypt refuses, which only a broken installation does.
  void Run(int mode, const TBlock* iv, bool encrypt, std::string& data) const;

  TBlock Key;
};
