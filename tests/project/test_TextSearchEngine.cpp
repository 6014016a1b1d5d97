// The search engine on plain strings: what each engine matches, how replacement texts expand,
// the ranges and directions, and empty matches that must not stall a search.

#include "project/TextSearchEngine.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
  const char* Pattern;
  TSearchOptions Options;
  const char* Replacement;
  const char* Text;
  const char* Expected;  // the text with every match replaced
};

constexpr TSearchOptions kPlain{};
constexpr TSearchOptions kCase{true, false, false};
constexpr TSearchOptions kWord{false, true, false};
constexpr TSearchOptions kRegex{false, false, true};
constexpr TSearchOptions kRegexCase{true, false, true};
constexpr TSearchOptions kRegexWord{false, true, true};

QString ReplaceEverywhere(const TCase& c) {
  const QString text = QString::fromUtf8(c.Text);
  const TTextSearchEngine engine(QString::fromUtf8(c.Pattern), QString::fromUtf8(c.Replacement), c.Options);
  const TReplaceAllResult all = engine.ReplaceAll(text, 0, text.size());
  return all.Count ? QString(text).replace(all.First, all.Last - all.First, all.Text) : text;
}

}  // namespace

TEST(TextSearchEngine, MatchesAndReplacements) {
  const TCase cases[] = {
      // Plain text: letter case, whole words as the editor sees them, "$" and "\" as they are.
      {"ab", kPlain, "#", "Ab ab aB", "# # #"},
      {"ab", kCase, "#", "Ab ab aB", "Ab # aB"},
      {"привет", kPlain, "#", "ПРИВЕТ, Привет", "#, #"},
      {"cat", kWord, "#", "cat concat cat_s cat.", "# concat cat_s #."},
      {"-x", kWord, "#", "a-x --x", "a# --x"},
      {"кот", kWord, "#", "кот котик", "# котик"},
      {"$1", kPlain, "$&\\", "cost $1", "cost $&\\"},
      {"a\r\nb", kPlain, "#", "xa\r\nby", "x#y"},
      // Regular expressions: one line at a time, case-insensitive unless asked, no whole words.
      {"o", kRegex, "0", "Foo\r\nOo", "F00\r\n00"},
      {"o", kRegexCase, "0", "Foo\r\nOo", "F00\r\nO0"},
      {"cat", kRegexWord, "#", "concat", "con#"},
      {"a.*b", kRegex, "#", "a\r\nb ab", "a\r\nb #"},
      {"a\\s+b", kRegex, "#", "a\r\nb a  b", "a\r\nb #"},
      {"^", kRegex, "> ", "a\r\nb\r\n", "> a\r\n> b\r\n> "},
      {"$", kRegex, ";", "a\r\nb", "a;\r\nb;"},
      {"\\w+", kRegex, "<$&>", "да, no", "<да>, <no>"},
      // Empty matches move the search on by one character, a CR LF pair counting as one.
      {"x*", kRegex, "-", "ab", "-a-b-"},
      {"x*", kRegex, "-", "ax\r\n", "-a--\r\n-"},
      {"x*", kRegex, "-", "a\U0001F600", "-a-\U0001F600-"},
      {"\\b", kRegex, "|", "hi yo", "|hi| |yo|"},
      // Groups in the replacement; a backslash makes the next character literal.
      {"(\\w+)@(\\w+)", kRegex, "$2 at $1", "me@host", "host at me"},
      {"(\\w+)", kRegex, "*[$1]", "word", "*[word]"},
      {"(a)", kRegex, "${1}1|$11|$0$&", "a", "a1||aa"},
      {"(a)(b)?", kRegex, "[$2]", "a", "[]"},
      {"a", kRegex, "\\$1 \\\\ $x ${} ${1 $", "a", "$1 \\ $x ${} ${1 $"},
      {"a", kRegex, "end\\", "a", "end\\"},
      {"a", kRegex, "\\n", "a", "n"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ReplaceEverywhere(c), QString::fromUtf8(c.Expected)) << c.Pattern << " in " << c.Text;
}

TEST(TextSearchEngine, RangesAndDirections) {
  struct TRangeCase {
    const char* Pattern;
    TSearchOptions Options;
    bool Backwards;
    qsizetype From, To;
    qsizetype Start;  // -1: no match
  };
  // "one" at 0, 8 and 17; the second line starts at 13.
  const QString text = QStringLiteral("one two one\r\ntwo one");
  const TRangeCase cases[] = {
      {"ONE", kPlain, false, 0, 20, 0},  {"ONE", kPlain, false, 1, 20, 8},  {"ONE", kPlain, false, 9, 20, 17},
      {"ONE", kPlain, false, 1, 10, -1}, {"ONE", kPlain, true, 0, 20, 17},  {"ONE", kPlain, true, 0, 17, 8},
      {"ONE", kPlain, true, 9, 17, -1},  {"ONE", kRegex, false, 1, 20, 8},  {"ONE", kRegex, true, 0, 20, 17},
      {"ONE", kRegex, true, 0, 17, 8},   {"ONE", kRegex, true, 0, 13, 8},   {"ONE", kRegex, true, 1, 8, -1},
      {"ONE", kRegex, false, 12, 20, 17},
      // An expression sees whole lines: the end of a range is no line end.
      {"e$", kRegex, false, 0, 10, -1},  {"e$", kRegex, true, 0, 20, 19},   {"e$", kRegex, true, 0, 19, 10},
      {"one tw|e", kRegex, false, 0, 5, 2}, {"(?=t)", kRegex, true, 0, 13, 13}, {"(?=t)", kRegex, true, 0, 12, 4},
  };
  for (const TRangeCase& c : cases) {
    const TTextSearchEngine engine(QLatin1String(c.Pattern), QString(), c.Options);
    TTextMatch match;
    const bool found = c.Backwards ? engine.FindBackward(text, c.From, c.To, match)
                                   : engine.FindForward(text, c.From, c.To, match);
    EXPECT_EQ(found ? match.Start : -1, c.Start) << c.Pattern << " " << c.Backwards << " " << c.From << "-" << c.To;
    EXPECT_LE(found ? match.End : 0, c.To);
  }
}
