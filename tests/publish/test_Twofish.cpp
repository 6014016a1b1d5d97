// The credential cipher: the block cipher against the designers' published vectors, the
// feedback mode against a CFB-8 built here from single blocks, and the stored form.

#include <gtest/gtest.h>

#include <string>

#include "publish/Twofish.h"
#include "publish/TwofishCipher.h"

namespace {

using TBlock = TTwofishCipher::TBlock;

TBlock BlockFromHex(const std::string& hex) {
  TBlock block{};
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<uint8_t>(std::stoi(hex.substr(i * 2, 2), nullptr, 16));
  return block;
}

std::string Hex(const std::string& bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char byte : bytes) {
    text += Digits[byte >> 4];
    text += Digits[byte & 15];
  }
  return text;
}

std::string Hex(const TBlock& block) { return Hex(std::string(block.begin(), block.end())); }

// A GUID's record in memory: the first three groups little-endian, the last eight bytes as
// written.
TBlock GuidRecord(const std::string& guid) {
  std::string digits;
  for (char c : guid)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  TBlock written = BlockFromHex(digits);
  TBlock record = written;
  const int order[8] = {3, 2, 1, 0, 5, 4, 7, 6};
  for (int i = 0; i < 8; ++i) record[i] = written[order[i]];
  return record;
}

// CFB with 8-bit segments step by step as NIST SP 800-38A defines it.
std::string ReferenceCFB8(const TBlock& key, const TBlock& iv, const std::string& clear) {
  TTwofishCipher cipher(key);
  TBlock shift = iv;
  std::string out;
  for (unsigned char p : clear) {
    unsigned char c = p ^ cipher.EncipherBlock(shift)[0];
    for (size_t i = 0; i + 1 < shift.size(); ++i) shift[i] = shift[i + 1];
    shift.back() = c;
    out += static_cast<char>(c);
  }
  return out;
}

const TBlock SettingKey = GuidRecord("{5E2B9C41-7A3D-4F86-B1C9-2D7E04A8F36B}");
const TBlock SettingIV = GuidRecord("{C3A1F5D8-26B4-4E97-8A0C-71D5E9B24F63}");

}  // namespace

TEST(TwofishCipher, MatchesThePublishedVectorsFor128BitKeys) {
  // The designers' ecb_tbl.txt: each step's key is the previous plain text and each plain text
  // the previous cipher text, starting from zeros.
  const char* expected[] = {"9F589F5CF6122C32B6BFEC2F2AE8C35A",
                            "D491DB16E7B1C39E86CB086B789F5419",
                            "019F9809DE1711858FAAC3A3BA20FBC3"};
  TBlock key{}, plain{};
  for (int step = 1; step <= 49; ++step) {
    TBlock result = TTwofishCipher(key).EncipherBlock(plain);
    if (step <= 3) {
      EXPECT_EQ(Hex(result), expected[step - 1]) << "step " << step;
    }
    key = plain;
    plain = result;
  }
  EXPECT_EQ(Hex(plain), "5D9D4EEFFA9151575524F115815A12E0");
}

TEST(TwofishCipher, FeedbackModeTakesOneByteSegments) {
  const TBlock key = BlockFromHex("000102030405060708090A0B0C0D0E0F");
  const TBlock iv = BlockFromHex("F0E0D0C0B0A090807060504030201000");
  const std::string clear = "Feedback through the last sixteen cipher bytes, and more.";
  TTwofishCipher cipher(key);
  std::string enciphered = cipher.EncryptCFB8(iv, clear);
  EXPECT_EQ(Hex(enciphered), Hex(ReferenceCFB8(key, iv, clear)));
  EXPECT_EQ(cipher.DecryptCFB8(iv, enciphered), clear);
}

TEST(EncryptSetting, UsesTheFixedKeyAndVectorAndUppercaseDigits) {
  for (const std::string& clear :
       {std::string("password"), std::string("a"), std::string("user@example.org"),
        std::string("\0\xff\x80", 3), std::string(300, 'x')})
    EXPECT_EQ(EncryptSetting(clear), Hex(ReferenceCFB8(SettingKey, SettingIV, clear)));
  EXPECT_EQ(EncryptSetting(""), "");
  EXPECT_EQ(DecryptSetting(""), "");
}

TEST(EncryptSetting, EightCharactersGiveSixteenDigitsAndComeBack) {
  std::string stored = EncryptSetting("pa55word");
  ASSERT_EQ(stored.size(), 16u);
  EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(DecryptSetting(stored), "pa55word");
  // Bytes of the code page beyond ASCII survive as they are.
  EXPECT_EQ(DecryptSetting(EncryptSetting("\xcf\xe0\xf0\xee\xeb\xfc")), "\xcf\xe0\xf0\xee\xeb\xfc");
}

TEST(EncryptSetting, EveryValueStartsFromTheSameRegister) {
  EXPECT_EQ(EncryptSetting("secret"), EncryptSetting("secret"));
  std::string user = EncryptSetting("admin");
  std::string password = EncryptSetting("adm1n-password");
  EXPECT_EQ(user.substr(0, 6), password.substr(0, 6));
  EXPECT_NE(user.substr(6, 2), password.substr(6, 2));
}

TEST(EncryptSetting, ChangingOneByteChangesItAndWhatFollows) {
  std::string original = EncryptSetting("abcdefghijklmnopqrstuvwxyz");
  std::string changed = EncryptSetting("abcdefghiJklmnopqrstuvwxyz");
  EXPECT_EQ(original.substr(0, 18), changed.substr(0, 18));
  EXPECT_NE(original.substr(18, 2), changed.substr(18, 2));
  // Through the register every later byte is enciphered differently (a single byte may still
  // match by chance, the rest as a whole cannot).
  EXPECT_NE(original.substr(20), changed.substr(20));
}

TEST(DecryptSetting, ReadsDigitsOfEitherCase) {
  std::string stored = EncryptSetting("MixedCase");
  std::string lower;
  for (char c : stored) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(DecryptSetting(lower), "MixedCase");
}

TEST(DecryptSetting, MalformedTextsDecodeTheWellFormedStart) {
  std::string stored = EncryptSetting("abc");
  std::string firstTwo = DecryptSetting(stored.substr(0, 4));
  EXPECT_EQ(firstTwo, "ab");
  // A lone last digit is left out.
  EXPECT_EQ(DecryptSetting(stored.substr(0, 5)), "ab");
  // Decoding stops at the first pair that is not two hexadecimal digits.
  EXPECT_EQ(DecryptSetting(stored.substr(0, 4) + "G1" + stored.substr(4)), "ab");
  EXPECT_EQ(DecryptSetting(stored.substr(0, 4) + "1" + std::string(1, '\0') + "FF"), "ab");
  EXPECT_EQ(DecryptSetting("Z"), "");
  EXPECT_EQ(DecryptSetting("  "), "");
}

TEST(TryDecryptSetting, AcceptsOnlyTheFormEncryptSettingWrites) {
  const std::string stored = EncryptSetting("secret");
  std::string lower;
  for (char c : stored) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const struct {
    std::string Text;
    bool Readable;
  } cases[] = {
      {stored, true},           {"", true},
      {"secret", false},        {lower, false},  // typed in by hand, or edited
      {stored + "A", false},    {stored + "G1", false},
      {stored + " ", false},    {std::string("0\0", 2), false},
  };
  for (const auto& test : cases) {
    std::string clear = "untouched";
    EXPECT_EQ(TryDecryptSetting(test.Text, clear), test.Readable) << test.Text;
    EXPECT_EQ(clear, test.Readable ? DecryptSetting(test.Text) : "untouched") << test.Text;
  }
}
