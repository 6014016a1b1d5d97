// The golden cases in golden/*.txt: markup and the HTML worked out by hand for it. Each case is
// its own test, named after its file and case name, so a failure says which rule broke.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "GoldenFile.h"
#include "generator/TextToHTML.h"
#include "reference/LiteralInline.h"

// How GoogleTest names a case in its listings, instead of a dump of the object's bytes.
void PrintTo(const TGoldenCase& c, std::ostream* out) {
  *out << c.File << ":" << c.Line << ": " << c.Name;
}

namespace {

struct TGoldenSet {
  std::vector<TGoldenCase> Cases;
  std::vector<std::string> Errors;
  size_t Files = 0;
};

const TGoldenSet& Golden() {
  static const TGoldenSet set = [] {
    TGoldenSet result;
    std::filesystem::path folder =
        std::filesystem::path(INKLOOM_SOURCE_DIR) / "tests" / "generator" / "golden";
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
      if (entry.path().extension() == ".txt") paths.push_back(entry.path().string());
    if (ec) result.Errors.push_back(folder.string() + ": " + ec.message());
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
      std::string error;
      if (!LoadGoldenFile(path, result.Cases, error)) result.Errors.push_back(error);
      ++result.Files;
    }
    return result;
  }();
  return set;
}

std::string Describe(const TGoldenCase& c, const std::string& what, const std::string& expected,
                     const std::string& actual) {
  return c.File + ":" + std::to_string(c.Line) + ": " + c.Name + " (" + what + ")\ninput:\n" +
         ShowGoldenText(c.Input) + "expected:\n" + ShowGoldenText(expected) + "actual:\n" +
         ShowGoldenText(actual);
}

class GoldenMarkup : public testing::TestWithParam<TGoldenCase> {};

TEST_P(GoldenMarkup, Case) {
  const TGoldenCase& c = GetParam();
  switch (c.Mode) {
    case TGoldenCase::gmConvert: {
      TTextToHTML converter;
      converter.QuoteStyle = c.QuoteStyle;
      std::string first = converter.Convert(c.Input);
      EXPECT_TRUE(first == c.Expected) << Describe(c, "Convert", c.Expected, first);
      // The converter is reused for every page: nothing of one page may reach the next.
      std::string second = converter.Convert(c.Input);
      EXPECT_TRUE(second == first) << Describe(c, "Convert a second time", first, second);
      break;
    }
    case TGoldenCase::gmInline: {
      bool limited = false;
      std::string actual = TTextToHTML::ConvertInline(c.Input, &limited);
      EXPECT_FALSE(limited) << c.Name;
      EXPECT_TRUE(actual == c.Expected) << Describe(c, "ConvertInline", c.Expected, actual);
      // The literal converter must agree with the hand-made result too, or the differential
      // tests would be comparing with a wrong reference.
      std::string literal = LiteralConvertInline(c.Input);
      EXPECT_TRUE(literal == c.Expected) << Describe(c, "LiteralConvertInline", c.Expected, literal);
      break;
    }
    case TGoldenCase::gmAttributes: {
      std::string_view remainder;
      std::string attributes = TTextToHTML::ParseAttributes(c.Input, &remainder);
      std::string both = attributes + "\n" + std::string(remainder);
      std::string expected = c.Expected + "\n" + c.ExpectedRemainder;
      EXPECT_TRUE(both == expected) << Describe(c, "ParseAttributes", expected, both);
      std::string literalRemainder;
      std::string literal = LiteralParseAttributes(c.Input, &literalRemainder) + "\n" +
                            literalRemainder;
      EXPECT_TRUE(literal == expected)
          << Describe(c, "LiteralParseAttributes", expected, literal);
      break;
    }
  }
}

std::string CaseName(const testing::TestParamInfo<TGoldenCase>& info) {
  std::string file = info.param.File.substr(0, info.param.File.rfind('.'));
  return GoldenIdentifier(file) + "_" + GoldenIdentifier(info.param.Name);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenMarkup, testing::ValuesIn(Golden().Cases), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenMarkup);

TEST(GoldenFiles, AllParse) {
  const TGoldenSet& set = Golden();
  for (const std::string& error : set.Errors) ADD_FAILURE() << error;
  EXPECT_GE(set.Files, 4u);
  // A file cut short by a stray "### " would lose cases without any error.
  EXPECT_GE(set.Cases.size(), 100u);
}

// ---- The file format itself: a fault here would make cases test something else ----------------

std::vector<TGoldenCase> ParseOrFail(const std::string& text) {
  std::vector<TGoldenCase> cases;
  std::string error;
  EXPECT_TRUE(ParseGoldenText(text, "t.txt", cases, error)) << error;
  return cases;
}

TEST(GoldenFileFormat, ConvertAndInlineCasesEndDifferently) {
  auto cases = ParseOrFail(
      "notes\n"
      "### block\n"
      "a\n"
      "b\n"
      "---\n"
      "x\n"
      "y\n"
      "\n"
      "### inline\n"
      "@inline\n"
      "a\n"
      "---\n"
      "x\n"
      "y\n");
  ASSERT_EQ(cases.size(), 2u);
  EXPECT_EQ(cases[0].Input, "a\nb");
  EXPECT_EQ(cases[0].Expected, "x\ny\n");
  EXPECT_EQ(cases[0].Line, 2);
  EXPECT_EQ(cases[1].Mode, TGoldenCase::gmInline);
  EXPECT_EQ(cases[1].Expected, "x\ny");
}

TEST(GoldenFileFormat, EscapesAndKeptEmptyLines) {
  auto cases = ParseOrFail(
      "### escapes\n"
      "@crlf\n"
      "@quotestyle a\\sb\n"
      "\\e\n"
      "\\t\\\\x\\s\\x00\\x7e\n"
      "\\e\n"
      "---\n"
      "\n"
      "z\\r\n"
      "\\e\n"
      "\n"
      "\n");
  ASSERT_EQ(cases.size(), 1u);
  EXPECT_EQ(cases[0].QuoteStyle, "a b");
  EXPECT_EQ(cases[0].Input, std::string("\r\n\t\\x \0~\r\n", 10));
  EXPECT_EQ(cases[0].Expected, "\nz\r\n\n");
}

TEST(GoldenFileFormat, EmptySectionsAndAttributes) {
  auto cases = ParseOrFail(
      "### nothing\n"
      "---\n"
      "### attributes\n"
      "@attributes\n"
      "a b\n"
      "---\n"
      " class=\"a\"\n"
      "b\n");
  ASSERT_EQ(cases.size(), 2u);
  EXPECT_EQ(cases[0].Input, "");
  EXPECT_EQ(cases[0].Expected, "");
  EXPECT_EQ(cases[1].Expected, " class=\"a\"");
  EXPECT_EQ(cases[1].ExpectedRemainder, "b");
}

TEST(GoldenFileFormat, InvisibleOrAmbiguousTextIsRejected) {
  const char* bad[] = {
      "### a\nx \n---\n",            // trailing space
      "### a\nx\n---\ny\t\n",        // raw tab
      "### a\nx\r\n---\n",           // CR line end
      "### a\nx\\q\n---\n",          // unknown escape
      "### a\nx\\x4\n---\n",         // short hex escape
      "### a\nx\\\n---\n",           // lone backslash
      "### a\nx\n",                  // no separator
      "### a\n---\n### a\n---\n",    // name used twice
      "### a\n@inlined\nx\n---\n",   // unknown option
  };
  for (const char* text : bad) {
    std::vector<TGoldenCase> cases;
    std::string error;
    EXPECT_FALSE(ParseGoldenText(text, "t.txt", cases, error)) << text;
    EXPECT_EQ(error.rfind("t.txt:", 0), 0u) << error;
  }
}

TEST(GoldenFileFormat, ShownTextMarksWhatIsInvisible) {
  EXPECT_EQ(ShowGoldenText("a \n\tb"), "  |a\\s\n  |\\tb\n  (no line feed at the end)\n");
  EXPECT_EQ(ShowGoldenText("x\n"), "  |x\n");
  EXPECT_EQ(ShowGoldenText(""), "  (empty)\n");
}

}  // namespace
