// The real inline converter does not search again from the start after every replacement, as the
// rules describe, but must give the same bytes. These tests compare it with the literal converter
// on many random texts made of markup characters, where nesting, unclosed brackets, quotes and
// odd keys come up far more often than in real pages.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "GoldenFile.h"
#include "generator/TextToHTML.h"
#include "reference/LiteralInline.h"

namespace {

// Texts that grow beyond this size on the way are skipped: the literal converter is quadratic,
// and links that copy their target into their text can grow a short text quickly.
constexpr size_t kLargestCompared = 64 * 1024;

// Pieces of the random texts. Repeated entries come up more often; closing brackets are many, as
// every prefix piece opens one, so that about a third of the short texts convert something and
// the rest exercise unclosed constructs.
const std::vector<std::string> kInlinePieces = {
    "_", "*", "!", ".", "#", "[", "[", "[", "]", "]", "]", "]", "]", "]", "]", "]", "]", "]",
    "]", "]", "] ", "] ", "\"", "'", "=", " ", " ", " ",
    "a", "b", "x", "Y", "1", ":", ";", "-", "\t", "\n", "<b>", "&", std::string(1, '\0'),
    "_[", "_[", "__[", "___[", "*[", "*[", "![", "![", "#[", "#[", ".[", ".[",
    "href=", "HREF=", "target=", "border=", "alt=", "Title=", "key=", "data-x=",
    "a.html", "#top", "color:", "red", "'q q'", "\"q q\"",
};

const std::vector<std::string> kAttributePieces = {
    "#", "-", "_", ":", ":", ";", ";", " ", " ", "  ", "'", "\"", "a", "B", "9", ".", "\t",
    "=", "color", "x.y", "red", "'a b'", "\"c;d\"", std::string(1, '\0'),
};

std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces,
                       size_t maxPieces) {
  std::string text;
  size_t count = random() % (maxPieces + 1);
  for (size_t i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
  return text;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// Removes bytes one at a time while the texts still differ, so that a report shows a short input.
std::string Shrink(std::string text, const std::function<bool(const std::string&)>& differs) {
  for (bool progress = true; progress;) {
    progress = false;
    for (size_t i = 0; i < text.size(); ++i) {
      std::string shorter = text.substr(0, i) + text.substr(i + 1);
      if (differs(shorter)) {
        text = shorter;
        progress = true;
        --i;
      }
    }
  }
  return text;
}

struct TInlineResult {
  bool Compared = false;
  std::string Fast, Literal;
};

TInlineResult CompareInline(const std::string& text) {
  TInlineResult result;
  bool limited = false;
  result.Fast = TTextToHTML::ConvertInline(text, &limited);
  if (limited || result.Fast.size() > kLargestCompared) return result;
  bool tooLarge = false;
  result.Literal = LiteralConvertInline(text, kLargestCompared, &tooLarge);
  result.Compared = !tooLarge;
  return result;
}

bool InlineDiffers(const std::string& text) {
  TInlineResult r = CompareInline(text);
  return r.Compared && r.Fast != r.Literal;
}

// Runs count random texts; returns how many were skipped, and fails with the first few
// differences, each shrunk.
size_t CheckInline(uint32_t seed, size_t count, size_t maxPieces) {
  std::mt19937 random(seed);
  size_t skipped = 0, differences = 0;
  for (size_t n = 0; n < count; ++n) {
    std::string text = RandomText(random, kInlinePieces, maxPieces);
    TInlineResult r = CompareInline(text);
    if (!r.Compared) {
      ++skipped;
      continue;
    }
    if (r.Fast == r.Literal) continue;
    if (++differences > 5) continue;
    std::string small = Shrink(text, InlineDiffers);
    TInlineResult s = CompareInline(small);
    ADD_FAILURE() << "ConvertInline differs from the literal rules (text " << n << ", seed "
                  << seed << ")\ninput (hex " << Hex(small) << "):\n"
                  << ShowGoldenText(small) << "ConvertInline:\n"
                  << ShowGoldenText(s.Fast) << "literal:\n"
                  << ShowGoldenText(s.Literal) << "unshrunk input (hex " << Hex(text) << ")";
  }
  EXPECT_EQ(differences, 0u);
  return skipped;
}

TEST(InlineDifferential, ShortRandomTextsMatchLiteralRules) {
  size_t skipped = CheckInline(20240601, 20000, 16);
  // The limits are for runaway growth; short texts must nearly all be compared, or this test
  // would pass without testing anything.
  EXPECT_LT(skipped, 100u);
}

TEST(InlineDifferential, LongerRandomTextsMatchLiteralRules) {
  size_t skipped = CheckInline(77, 10000, 60);
  EXPECT_LT(skipped, 200u);
}

// Deep nesting of one kind inside another, where a converter that does not restart is most
// likely to place an inner construct wrongly.
TEST(InlineDifferential, NestedConstructsMatchLiteralRules) {
  const std::vector<std::string> prefixes = {"_[", "__[", "___[", "*[", "![", "#[", ".[", "["};
  const std::vector<std::string> fillers = {"a ", "x.html ", "#t ", "k=v ", "'q ", "", " ", "]"};
  std::mt19937 random(5);
  size_t differences = 0;
  for (int n = 0; n < 5000; ++n) {
    std::string text;
    int depth = 1 + random() % 6;
    for (int d = 0; d < depth; ++d)
      text += prefixes[random() % prefixes.size()] + fillers[random() % fillers.size()];
    for (int d = 0; d < depth; ++d) {
      text += fillers[random() % fillers.size()];
      if (random() % 5 != 0) text += "]";
    }
    TInlineResult r = CompareInline(text);
    if (!r.Compared || r.Fast == r.Literal) continue;
    if (++differences > 5) continue;
    std::string small = Shrink(text, InlineDiffers);
    TInlineResult s = CompareInline(small);
    ADD_FAILURE() << "ConvertInline differs from the literal rules\ninput (hex " << Hex(small)
                  << "):\n"
                  << ShowGoldenText(small) << "ConvertInline:\n"
                  << ShowGoldenText(s.Fast) << "literal:\n"
                  << ShowGoldenText(s.Literal);
  }
  EXPECT_EQ(differences, 0u);
}

std::string BothAttributeResults(const std::string& attributeList, bool literal) {
  if (literal) {
    std::string remainder;
    std::string attributes = LiteralParseAttributes(attributeList, &remainder);
    return attributes + "\n|" + remainder;
  }
  std::string_view remainder;
  std::string attributes = TTextToHTML::ParseAttributes(attributeList, &remainder);
  return attributes + "\n|" + std::string(remainder);
}

bool AttributesDiffer(const std::string& attributeList) {
  return BothAttributeResults(attributeList, false) != BothAttributeResults(attributeList, true);
}

TEST(InlineDifferential, RandomAttributeSpecificationsMatchLiteralRules) {
  std::mt19937 random(31337);
  size_t differences = 0;
  for (int n = 0; n < 20000; ++n) {
    std::string attributeList = RandomText(random, kAttributePieces, 12);
    if (!AttributesDiffer(attributeList)) continue;
    if (++differences > 5) continue;
    std::string small = Shrink(attributeList, AttributesDiffer);
    ADD_FAILURE() << "ParseAttributes differs from the literal rules\nspec (hex " << Hex(small)
                  << "):\n"
                  << ShowGoldenText(small) << "ParseAttributes (attributes, then |remainder):\n"
                  << ShowGoldenText(BothAttributeResults(small, false)) << "literal:\n"
                  << ShowGoldenText(BothAttributeResults(small, true));
  }
  EXPECT_EQ(differences, 0u);
}

}  // namespace
