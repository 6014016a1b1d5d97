#include "publish/Twofish.h"

#include "publish/TwofishCipher.h"

namespace {

// The in-memory records of two GUIDs: the first group as a little-endian 32-bit number, the
// next two as little-endian 16-bit numbers, the last eight bytes as written.
// {5E2B9C41-7A3D-4F86-B1C9-2D7E04A8F36B}
constexpr TTwofishCipher::TBlock SettingKey = {0x41, 0x9C, 0x2B, 0x5E, 0x3D, 0x7A, 0x86, 0x4F,
                                               0xB1, 0xC9, 0x2D, 0x7E, 0x04, 0xA8, 0xF3, 0x6B};
// {C3A1F5D8-26B4-4E97-8A0C-71D5E9B24F63}
constexpr TTwofishCipher::TBlock SettingIV = {0xD8, 0xF5, 0xA1, 0xC3, 0xB4, 0x26, 0x97, 0x4E,
                                              0x8A, 0x0C, 0x71, 0xD5, 0xE9, 0xB2, 0x4F, 0x63};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string EncryptSetting(const std::string& clearText) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string cipher = TTwofishCipher(SettingKey).EncryptCFB8(SettingIV, clearText);
  std::string stored;
  stored.reserve(cipher.size() * 2);
  for (unsigned char byte : cipher) {
    stored += Digits[byte >> 4];
    stored += Digits[byte & 0x0F];
  }
  return stored;
}

std::string DecryptSetting(const std::string& storedText) {
  std::string cipher;
  cipher.reserve(storedText.size() / 2);
  for (size_t i = 0; i + 1 < storedText.size(); i += 2) {
    int high = HexDigit(storedText[i]);
    int low = HexDigit(storedText[i + 1]);
    if (high < 0 || low < 0) break;
    cipher += static_cast<char>(high * 16 + low);
  }
  return TTwofishCipher(SettingKey).DecryptCFB8(SettingIV, cipher);
}

bool TryDecryptSetting(const std::string& storedText, std::string& clearText) {
  if (storedText.size() % 2 != 0 ||
      storedText.find_first_not_of("0123456789ABCDEF") != std::string::npos)
    return false;
  clearText = DecryptSetting(storedText);
  return true;
}
