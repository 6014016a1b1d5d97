#include "generator/Highlighter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using H = TInkloomHighlighter;

struct Token {
  int Kind;
  std::string Text;
  bool operator==(const Token& other) const {
    return Kind == other.Kind && Text == other.Text;
  }
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
  return out << H::Attribute(token.Kind).Name << " \"" << token.Text << '"';
}

using Tokens = std::vector<Token>;

// Every token of a line, as the editor asks for them, checking on the way that the tokens
// follow each other without gaps and end at the end of the line.
Tokens Scan(H& highlighter, std::string_view line) {
  Tokens tokens;
  int expectedPos = 0;
  for (highlighter.SetLine(line); !highlighter.GetEol(); highlighter.Next()) {
    EXPECT_EQ(highlighter.GetTokenPos(), expectedPos) << "in line \"" << line << '"';
    EXPECT_GT(highlighter.GetTokenLength(), 0) << "in line \"" << line << '"';
    expectedPos += highlighter.GetTokenLength();
    tokens.push_back({highlighter.GetTokenKind(), std::string(highlighter.GetToken())});
  }
  EXPECT_EQ(expectedPos, static_cast<int>(line.size())) << "in line \"" << line << '"';
  return tokens;
}

Tokens Scan(std::string_view line) {
  H highlighter;
  return Scan(highlighter, line);
}

// The tokens with neighbours of the same kind joined: what the user sees as colours.
Tokens Colours(std::string_view line) {
  Tokens runs;
  for (const Token& token : Scan(line)) {
    if (!runs.empty() && runs.back().Kind == token.Kind)
      runs.back().Text += token.Text;
    else
      runs.push_back(token);
  }
  return runs;
}

Token Text(std::string text) { return {H::tkText, std::move(text)}; }
Token Macro(std::string text) { return {H::tkMacro, std::move(text)}; }

}  // namespace

TEST(HighlighterAttributes, KindsNamesColoursAndStylesInTableOrder) {
  struct Expected {
    const char* Name;
    QColor Foreground;
    bool Bold;
    bool Italic;
  };
  const Expected expected[] = {
      {"Text", QColor(0, 0, 0), false, false},
      {"Section", QColor(0, 0, 255), true, false},
      {"Comment", QColor(0, 128, 0), false, true},
      {"Directive", QColor(79, 150, 227), false, false},
      {"Macro", QColor(128, 0, 0), false, false},
      {"Block", QColor(0, 128, 128), false, false},
  };
  ASSERT_EQ(H::KindCount, 6);
  for (int kind = 0; kind < H::KindCount; ++kind) {
    SCOPED_TRACE(kind);
    const TInkloomAttribute& attribute = H::Attribute(kind);
    EXPECT_EQ(attribute.Kind, kind);
    EXPECT_STREQ(attribute.Name, expected[kind].Name);
    EXPECT_EQ(attribute.Foreground, expected[kind].Foreground);
    EXPECT_EQ(attribute.Bold, expected[kind].Bold);
    EXPECT_EQ(attribute.Italic, expected[kind].Italic);
  }
}

TEST(HighlighterAttributes, EveryCategoryDefaultsToText) {
  for (int category : {0, 1, 2, 3, 99, -1})
    EXPECT_STREQ(H::GetDefaultAttribute(category).Name, "Text") << category;
}

TEST(HighlighterAttributes, TokenAttributeFollowsTheKind) {
  H highlighter;
  highlighter.SetLine("; a comment");
  EXPECT_STREQ(highlighter.GetTokenAttribute().Name, "Comment");
  highlighter.SetLine("{x}");
  EXPECT_STREQ(highlighter.GetTokenAttribute().Name, "Macro");
}

TEST(HighlighterLineKinds, FirstCharacterMakesOneTokenOfTheWholeLine) {
  EXPECT_EQ(Scan("[index.html]"), (Tokens{{H::tkSection, "[index.html]"}}));
  EXPECT_EQ(Scan("; a comment {x}"), (Tokens{{H::tkComment, "; a comment {x}"}}));
  EXPECT_EQ(Scan("$title {x}"), (Tokens{{H::tkDirective, "$title {x}"}}));
  EXPECT_EQ(Scan("$$ more {text}"), (Tokens{{H::tkDirective, "$$ more {text}"}}));
  EXPECT_EQ(Scan("$$"), (Tokens{{H::tkDirective, "$$"}}));
  EXPECT_EQ(Scan("> {x}"), (Tokens{{H::tkBlock, "> {x}"}}));
  EXPECT_EQ(Scan("["), (Tokens{{H::tkSection, "["}}));
  EXPECT_EQ(Scan(";"), (Tokens{{H::tkComment, ";"}}));
}

TEST(HighlighterLineKinds, IndentedMarkersArePlainTextWithPlaceholders) {
  EXPECT_EQ(Colours("  [index.html]"), (Tokens{Text("  [index.html]")}));
  EXPECT_EQ(Colours(" ; not a comment"), (Tokens{Text(" ; not a comment")}));
  EXPECT_EQ(Colours(" $title {x}"), (Tokens{Text(" $title "), Macro("{x}")}));
  EXPECT_EQ(Colours("\t> {x}"), (Tokens{Text("\t> "), Macro("{x}")}));
  EXPECT_EQ(Colours("a [b] ; c $ d > e"), (Tokens{Text("a [b] ; c $ d > e")}));
}

TEST(HighlighterLineKinds, EmptyLineHasNoToken) {
  H highlighter;
  highlighter.SetLine("");
  EXPECT_TRUE(highlighter.GetEol());
  EXPECT_TRUE(Scan("").empty());
}

TEST(HighlighterLineKinds, EndOfLineComesOneStepAfterTheWholeLineToken) {
  H highlighter;
  highlighter.SetLine("[a]");
  EXPECT_FALSE(highlighter.GetEol());
  EXPECT_EQ(highlighter.GetTokenPos(), 0);
  EXPECT_EQ(highlighter.GetTokenLength(), 3);
  highlighter.Next();
  EXPECT_TRUE(highlighter.GetEol());
  EXPECT_EQ(highlighter.GetTokenLength(), 0);
  highlighter.Next();  // asking again past the end changes nothing
  EXPECT_TRUE(highlighter.GetEol());
}

TEST(HighlighterText, RunsUpToTheNextBraceThenOneCharacterAtATime) {
  EXPECT_EQ(Scan("Hello {title} world"),
            (Tokens{Text("Hello "), Macro("{title}"), Text(" "), Text("w"), Text("o"), Text("r"),
                    Text("l"), Text("d")}));
  EXPECT_EQ(Scan("ab"), (Tokens{Text("a"), Text("b")}));
  EXPECT_EQ(Scan("a{x}b{y}"), (Tokens{Text("a"), Macro("{x}"), Text("b"), Macro("{y}")}));
}

TEST(HighlighterPlaceholders, ColouredFromTheBraceThroughItsMatch) {
  EXPECT_EQ(Colours("Hello {title} world"),
            (Tokens{Text("Hello "), Macro("{title}"), Text(" world")}));
  EXPECT_EQ(Scan("{a {b} c}"), (Tokens{Macro("{a {b} c}")}));
  EXPECT_EQ(Scan("{x}{y}"), (Tokens{Macro("{x}"), Macro("{y}")}));
  EXPECT_EQ(Scan("{}"), (Tokens{Macro("{}")}));
  // The content is not checked: anything between matching braces is a placeholder.
  EXPECT_EQ(Colours("x {not a name!} y"), (Tokens{Text("x "), Macro("{not a name!}"), Text(" y")}));
}

TEST(HighlighterPlaceholders, UnmatchedBraceIsTextOnItsOwn) {
  EXPECT_EQ(Scan("{open"), (Tokens{Text("{"), Text("o"), Text("p"), Text("e"), Text("n")}));
  EXPECT_EQ(Scan("{"), (Tokens{Text("{")}));
  EXPECT_EQ(Scan("{{a}"), (Tokens{Text("{"), Macro("{a}")}));
  EXPECT_EQ(Scan("{ {x}"), (Tokens{Text("{"), Text(" "), Macro("{x}")}));
  EXPECT_EQ(Scan("{a {b}"), (Tokens{Text("{"), Text("a "), Macro("{b}")}));
  EXPECT_EQ(Colours("{{{{x}"), (Tokens{Text("{{{"), Macro("{x}")}));
}

TEST(HighlighterPlaceholders, StrayClosingBracesArePlainText) {
  EXPECT_EQ(Colours("a} {x}} }"), (Tokens{Text("a} "), Macro("{x}"), Text("} }")}));
  EXPECT_EQ(Colours("}{x}"), (Tokens{Text("}"), Macro("{x}")}));
  EXPECT_EQ(Scan("{a}}"), (Tokens{Macro("{a}"), Text("}")}));
}

TEST(HighlighterPlaceholders, NestedBracesPairUpByDepth) {
  EXPECT_EQ(Scan("{a{b{c}}d}"), (Tokens{Macro("{a{b{c}}d}")}));
  EXPECT_EQ(Colours("{a{b}}c}"), (Tokens{Macro("{a{b}}"), Text("c}")}));
  EXPECT_EQ(Scan("{{a}{b}"), (Tokens{Text("{"), Macro("{a}"), Macro("{b}")}));
}

TEST(HighlighterPlaceholders, PositionsAreBytesOfUtf8Text) {
  // "Привет " is 13 bytes: six two-byte letters and a space.
  H highlighter;
  highlighter.SetLine("Привет {title} мир");
  EXPECT_EQ(highlighter.GetTokenKind(), H::tkText);
  EXPECT_EQ(highlighter.GetTokenPos(), 0);
  EXPECT_EQ(highlighter.GetTokenLength(), 13);
  highlighter.Next();
  EXPECT_EQ(highlighter.GetTokenKind(), H::tkMacro);
  EXPECT_EQ(highlighter.GetTokenPos(), 13);
  EXPECT_EQ(highlighter.GetTokenLength(), 7);

  EXPECT_EQ(Colours("Привет {title} мир"), (Tokens{Text("Привет "), Macro("{title}"),
                                                   Text(" мир")}));
  EXPECT_EQ(Colours("{имя} и {фамилия"), (Tokens{Macro("{имя}"), Text(" и {фамилия")}));
  EXPECT_EQ(Scan("[страница.html]"), (Tokens{{H::tkSection, "[страница.html]"}}));
}

TEST(HighlighterLines, NothingCarriesOverFromOneLineToTheNext) {
  H highlighter;
  const char* lines[] = {"{a", "b}", "[x]", "  {y}", "", "{z}}", "> q", "c {d} e"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    EXPECT_EQ(Scan(highlighter, line), Scan(line));
  }
  // A long line with placeholders followed by a short one that has none.
  Scan(highlighter, "{one} {two} {three} {four} {five}");
  EXPECT_EQ(Scan(highlighter, "{six"), Scan("{six"));
}

TEST(HighlighterLines, LongLinesOfBracesScanToTheEnd) {
  // Unmatched braces by the thousand, then one placeholder at the very end.
  std::string line(20000, '{');
  line += "{x}";
  const Tokens runs = Colours(line);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0], Text(std::string(20000, '{')));
  EXPECT_EQ(runs[1], Macro("{x}"));

  std::string text(20000, 'a');
  EXPECT_EQ(Colours(text), (Tokens{Text(text)}));
}
