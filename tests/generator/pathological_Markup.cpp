// Inputs no real page contains. Each must end quickly and without exhausting the stack; the
// CTest time-out guards against a hang, the tests themselves measure nothing.

#include "generator/TextToHTML.h"

#include <gtest/gtest.h>

namespace {

constexpr int kDepth = 50000;

std::string Repeat(std::string_view piece, int count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) out.append(piece);
  return out;
}

}  // namespace

TEST(PathologicalInline, DeeplyNestedEmphasis) {
  std::string text = Repeat("_[", kDepth) + "x" + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(text),
            Repeat("<strong>", kDepth) + "x" + Repeat("</strong>", kDepth));
}

TEST(PathologicalInline, UnclosedEmphasisStaysAsItIs) {
  std::string text = Repeat("_[", kDepth) + "x";
  EXPECT_EQ(TTextToHTML::ConvertInline(text), text);
  std::string closedThenOpen = "_[a] " + text + " _[b]";
  EXPECT_EQ(TTextToHTML::ConvertInline(closedThenOpen), "<strong>a</strong> " + text + " _[b]");
}

TEST(PathologicalInline, DeeplyNestedLinks) {
  std::string text = Repeat("*[a ", kDepth) + "x" + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(text),
            Repeat("<a href=\"a\">", kDepth) + "x" + Repeat("</a>", kDepth));
}

TEST(PathologicalInline, LinksWhoseTextIsTheirTargetDoubleAtEveryLevel) {
  // Converted in full the result would be 2^50000 links long: the link pass gives up and leaves
  // its constructs as they are.
  std::string text = Repeat("*[", kDepth) + "x" + Repeat("]", kDepth);
  bool limited = false;
  EXPECT_EQ(TTextToHTML::ConvertInline(text, &limited), text);
  EXPECT_TRUE(limited);
  // A few levels are converted in full.
  EXPECT_EQ(TTextToHTML::ConvertInline("*[*[x]]", &limited),
            "<a href=\"<a href=\"x\">x</a>\"><a href=\"x\">x</a></a>");
  EXPECT_FALSE(limited);
}

TEST(PathologicalInline, DeeplyNestedSpansAndImages) {
  std::string spans = Repeat(".[a ", kDepth) + "x" + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(spans),
            Repeat("<span class=\"a\">", kDepth) + "x" + Repeat("</span>", kDepth));
  std::string styled = Repeat(".[", kDepth) + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(styled),
            Repeat("<span style=\"\">", kDepth) + Repeat("</span>", kDepth));
  // Only the outer image is made; the rest of its content is not used.
  std::string images = Repeat("![a ", kDepth) + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(images), "<img src=\"a\" border=\"0\"/>");
}

TEST(PathologicalInline, DeeplyNestedAnchors) {
  std::string text = Repeat("#[a ", kDepth) + Repeat("]", kDepth);
  EXPECT_EQ(TTextToHTML::ConvertInline(text), "<a name=\"a\"></a>" + Repeat("]", kDepth - 2));
}

TEST(PathologicalInline, ManyLinksWithUnbalancedTargets) {
  // Each of these brings brackets together anew; the result must not take quadratic time.
  std::string text = Repeat("*[a[b c]d x] ", kDepth);
  bool limited = false;
  EXPECT_EQ(TTextToHTML::ConvertInline(text, &limited),
            Repeat("<a href=\"a[b\">c]d x</a> ", kDepth));
  EXPECT_FALSE(limited);
  // One of them among ordinary links converts exactly.
  std::string some = Repeat("*[p.html P] ", 1000) + "*[a[b c]d x] " + Repeat("*[q.html Q] ", 1000);
  EXPECT_EQ(TTextToHTML::ConvertInline(some, &limited),
            Repeat("<a href=\"p.html\">P</a> ", 1000) + "<a href=\"a[b\">c]d x</a> " +
                Repeat("<a href=\"q.html\">Q</a> ", 1000));
  EXPECT_FALSE(limited);
}

TEST(PathologicalBlocks, AMillionSpacesOfIndentation) {
  TTextToHTML converter;
  std::string body = std::string(1000000, ' ') + "* x";
  EXPECT_EQ(converter.Convert(body), "<ul>\n<li>x</li>\n</ul>\n");
  std::string alternating = Repeat(std::string(100000, ' ') + "* x\r\n* y\r\n", 20);
  EXPECT_NO_FATAL_FAILURE(converter.Convert(alternating));
}

TEST(PathologicalBlocks, ATableRowOfAHundredThousandCells) {
  TTextToHTML converter;
  std::string body = "|" + Repeat("c|", 100000);
  EXPECT_EQ(converter.Convert(body),
            "<table>\n<tbody>\n<tr>" + Repeat("<td>c</td>", 100000) + "</tr>\n</tbody>\n</table>\n");
  std::string spans = "|" + Repeat("|", 100000) + "c|";
  EXPECT_EQ(converter.Convert(spans),
            "<table>\n<tbody>\n<tr><td colspan=\"100001\">c</td></tr>\n</tbody>\n</table>\n");
}

TEST(PathologicalBlocks, TenMegabytesOfOrdinaryMarkup) {
  const std::string chunk =
      "= Heading _[bold]\r\n"
      "\r\n"
      "A paragraph with *[page.html a link], ![img/pic.png alt='A picture'] and .[note a span].\r\n"
      "It goes on __[in italics] and ___[both] for a while, #[here] with an anchor.\r\n"
      "\r\n"
      "* item one\r\n"
      "  * nested *[sub/page.html item]\r\n"
      "    # deeper\r\n"
      "* item two\r\n"
      "\r\n"
      "^ Name ^ Size\r\n"
      "| a | 1 |\r\n"
      "|  b ||\r\n"
      "\r\n"
      "> preformatted <code> & [brackets]\r\n"
      "\r\n";
  std::string body;
  int chunks = 0;
  while (body.size() < 10 * 1000 * 1000) {
    body += chunk;
    ++chunks;
  }
  TTextToHTML converter;
  std::string html = converter.Convert(body);
  size_t headings = 0;
  for (size_t at = html.find("<h1>"); at != std::string::npos; at = html.find("<h1>", at + 1))
    ++headings;
  EXPECT_EQ(headings, static_cast<size_t>(chunks));
  EXPECT_EQ(html.find("_["), std::string::npos);
  EXPECT_EQ(html.find("*["), std::string::npos);
}
