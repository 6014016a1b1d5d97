#include "app/MarkupLexer.h"

#include <QFontMetrics>
#include <QTest>

#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using H = TInkloomHighlighter;

// One letter per kind: Text, Section, Comment, Directive, Macro, Block.
constexpr char kKindLetters[] = "TSCDMB";

std::string Bytes(char letter, int bytes) { return std::string(bytes, letter); }

class MarkupLexerTest : public ::testing::Test {
 protected:
  MarkupLexerTest() {
    editor.setUtf8(true);
    editor.setLexer(&lexer);
  }

  long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const {
    return editor.SendScintilla(message, wParam, lParam);
  }
  void SetText(const std::string& utf8) { editor.setText(QString::fromStdString(utf8)); }
  void StyleAll() { Send(QsciScintillaBase::SCI_COLOURISE, 0, -1); }
  long LineStart(int line) const { return Send(QsciScintillaBase::SCI_POSITIONFROMLINE, line); }
  long EndStyled() const { return Send(QsciScintillaBase::SCI_GETENDSTYLED); }
  long Length() const { return Send(QsciScintillaBase::SCI_GETLENGTH); }

  // The style of every byte of a line, line break excluded, as kind letters.
  std::string Styles(int line) const {
    std::string letters;
    const long end = Send(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    for (long pos = LineStart(line); pos < end; ++pos) {
      const long style = Send(QsciScintillaBase::SCI_GETSTYLEAT, pos);
      letters += style >= 0 && style < H::KindCount ? kKindLetters[style] : '?';
    }
    return letters;
  }

  void InsertText(long pos, const char* utf8) {
    editor.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<uintptr_t>(pos), utf8);
  }

  // Shows the editor and paints it once, which styles what is on the screen.
  void ShowAndPaint() {
    editor.resize(640, 400);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    Repaint();
  }
  void Repaint() {
    QCoreApplication::processEvents();
    editor.viewport()->repaint();
  }

  TMarkupLexer lexer;  // outlives the editor that uses it
  QsciScintilla editor;
};

TEST_F(MarkupLexerTest, DescribesTheKindsAsItsStyles) {
  EXPECT_STREQ(lexer.language(), "Inkloom");
  const char* names[] = {"Text", "Section", "Comment", "Directive", "Macro", "Block"};
  for (int style = 0; style < H::KindCount; ++style)
    EXPECT_EQ(lexer.description(style), QString::fromLatin1(names[style])) << style;
  EXPECT_TRUE(lexer.description(H::KindCount).isEmpty());
  EXPECT_TRUE(lexer.description(-1).isEmpty());
}

TEST_F(MarkupLexerTest, ColoursAndFontsReachTheEditor) {
  for (int style = 0; style < H::KindCount; ++style) {
    SCOPED_TRACE(style);
    const TInkloomAttribute& attribute = H::Attribute(style);
    EXPECT_EQ(lexer.defaultColor(style), attribute.Foreground);
    EXPECT_EQ(lexer.defaultPaper(style), QColor(Qt::white));
    const QFont font = lexer.defaultFont(style);
    EXPECT_EQ(font.bold(), attribute.Bold);
    EXPECT_EQ(font.italic(), attribute.Italic);
    EXPECT_EQ(font.pointSize(), 10);
    // The fixed font: every character as wide as any other.
    const QFontMetrics metrics(font);
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));

    // Scintilla keeps colours as 0xBBGGRR.
    const QColor c = attribute.Foreground;
    EXPECT_EQ(Send(QsciScintillaBase::SCI_STYLEGETFORE, style),
              c.red() | c.green() << 8 | c.blue() << 16);
    // QScintilla hands Qt's font weight to Scintilla negated (-700 for bold).
    EXPECT_EQ(std::abs(Send(QsciScintillaBase::SCI_STYLEGETWEIGHT, style)) >= QFont::Bold,
              attribute.Bold);
    EXPECT_EQ(Send(QsciScintillaBase::SCI_STYLEGETITALIC, style) != 0, attribute.Italic);
  }
}

TEST_F(MarkupLexerTest, StylesEachKindOfLine) {
  SetText(
      "[index.html]\n"
      "  [index.html]\n"
      "Hello {title} world\n"
      "{a {b} c}\n"
      "{open\n"
      "> {x}\n"
      "$title {x}\n"
      "\n"
      "$$ more {text}\n"
      "; a comment {x}\n"
      "x} {y}} {z");
  StyleAll();
  EXPECT_EQ(Styles(0), Bytes('S', 12));
  EXPECT_EQ(Styles(1), Bytes('T', 14));
  EXPECT_EQ(Styles(2), Bytes('T', 6) + Bytes('M', 7) + Bytes('T', 6));
  EXPECT_EQ(Styles(3), Bytes('M', 9));
  EXPECT_EQ(Styles(4), Bytes('T', 5));
  EXPECT_EQ(Styles(5), Bytes('B', 5));
  EXPECT_EQ(Styles(6), Bytes('D', 10));
  EXPECT_EQ(Styles(7), "");
  EXPECT_EQ(Styles(8), Bytes('D', 14));
  EXPECT_EQ(Styles(9), Bytes('C', 15));
  EXPECT_EQ(Styles(10), Bytes('T', 3) + Bytes('M', 3) + Bytes('T', 4));
  EXPECT_EQ(EndStyled(), Length());
}

TEST_F(MarkupLexerTest, PositionsAreBytesOfUtf8Text) {
  // "Привет " takes 13 bytes: six two-byte letters and a space.
  SetText("Привет {title} мир\n[страница.html]\n{имя}");
  StyleAll();
  EXPECT_EQ(Styles(0), Bytes('T', 13) + Bytes('M', 7) + Bytes('T', 7));
  EXPECT_EQ(Send(QsciScintillaBase::SCI_GETSTYLEAT, 12), H::tkText);
  EXPECT_EQ(Send(QsciScintillaBase::SCI_GETSTYLEAT, 13), H::tkMacro);
  EXPECT_EQ(Styles(1), Bytes('S', 23));
  EXPECT_EQ(Styles(2), Bytes('M', 8));
}

TEST_F(MarkupLexerTest, EveryKindOfLineBreakEndsALine) {
  SetText("[a]\r\n{b}\r; c\n> d");
  StyleAll();
  ASSERT_EQ(editor.lines(), 4);
  EXPECT_EQ(Styles(0), "SSS");
  EXPECT_EQ(Styles(1), "MMM");
  EXPECT_EQ(Styles(2), "CCC");
  EXPECT_EQ(Styles(3), "BBB");
  // Line breaks themselves are text, even after a whole-line token.
  EXPECT_EQ(Send(QsciScintillaBase::SCI_GETSTYLEAT, 3), H::tkText);
  EXPECT_EQ(Send(QsciScintillaBase::SCI_GETSTYLEAT, 4), H::tkText);
}

TEST_F(MarkupLexerTest, StylesWholeLinesAndNoMore) {
  SetText("[one]\n; two\n[three] {x}\n; four\n[five]");
  // Asked for a range that ends inside line 1, the lexer styles all of it and stops there.
  Send(QsciScintillaBase::SCI_COLOURISE, 0, LineStart(1) + 2);
  EXPECT_EQ(EndStyled(), LineStart(2));
  EXPECT_EQ(Styles(0), Bytes('S', 5));
  EXPECT_EQ(Styles(1), Bytes('C', 5));
  EXPECT_EQ(Styles(3), Bytes('T', 6));  // not styled yet

  // Asked from inside line 2, it starts at the beginning of the line.
  lexer.styleText(static_cast<int>(LineStart(2) + 3), static_cast<int>(LineStart(2) + 4));
  EXPECT_EQ(Styles(2), Bytes('S', 11));
  EXPECT_EQ(EndStyled(), LineStart(3));
  EXPECT_EQ(Styles(3), Bytes('T', 6));
}

TEST_F(MarkupLexerTest, EditingALineRestylesIt) {
  SetText("[a]\ntitle\nplain\n; c\nx {y} z");
  StyleAll();
  ASSERT_EQ(Styles(1), Bytes('T', 5));

  InsertText(LineStart(1) + 5, "}");
  InsertText(LineStart(1), "{");
  EXPECT_LE(EndStyled(), LineStart(1));  // the editor knows the line needs styling again
  StyleAll();
  EXPECT_EQ(Styles(0), Bytes('S', 3));
  EXPECT_EQ(Styles(1), Bytes('M', 7));
  EXPECT_EQ(Styles(3), Bytes('C', 3));

  InsertText(LineStart(2), "[");
  StyleAll();
  EXPECT_EQ(Styles(2), Bytes('S', 6));

  // Removing the closing brace turns the placeholder back into text.
  Send(QsciScintillaBase::SCI_DELETERANGE, LineStart(4) + 4, 1);
  StyleAll();
  EXPECT_EQ(Styles(4), Bytes('T', 6));
  // Removing the line's first character makes a comment plain text.
  Send(QsciScintillaBase::SCI_DELETERANGE, LineStart(3), 1);
  StyleAll();
  EXPECT_EQ(Styles(3), Bytes('T', 2));
}

TEST_F(MarkupLexerTest, TypingInTheShownEditorRestylesTheLine) {
  SetText("[page.html]\nHello title\n; note");
  ShowAndPaint();
  ASSERT_EQ(Styles(1), Bytes('T', 11));

  editor.setCursorPosition(1, 6);
  QTest::keyClicks(&editor, "{");
  editor.setCursorPosition(1, 12);
  QTest::keyClicks(&editor, "}");
  Repaint();
  EXPECT_EQ(Styles(1), Bytes('T', 6) + Bytes('M', 7));

  editor.setCursorPosition(1, 0);
  QTest::keyClicks(&editor, ">");
  Repaint();
  EXPECT_EQ(Styles(1), Bytes('B', 14));
  EXPECT_EQ(Styles(0), Bytes('S', 11));
  EXPECT_EQ(Styles(2), Bytes('C', 6));
}

TEST_F(MarkupLexerTest, HugeTextIsStyledOnlyWhereShownOrChanged) {
  const std::string lines[] = {"[page.html]", "Hello {title} world", "; comment", "$title x",
                               "> block {x}", "Привет {имя}", "plain text"};
  std::string text;
  const int lineCount = 100000;
  for (int i = 0; i < lineCount; ++i) text += lines[i % 7] + '\n';
  SetText(text);
  ShowAndPaint();

  // The lines on the screen are styled, the rest of the document is not.
  EXPECT_EQ(Styles(0), Bytes('S', 11));
  EXPECT_EQ(Styles(1), Bytes('T', 6) + Bytes('M', 7) + Bytes('T', 6));
  EXPECT_GT(EndStyled(), LineStart(7));
  EXPECT_LT(EndStyled(), Length() / 100);

  // Scrolled to the middle: the lines shown there are styled, none far after them.
  const int middle = 50002;  // line 50002 is "Hello {title} world"
  Send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, middle);
  Repaint();
  EXPECT_EQ(Styles(middle), Bytes('T', 6) + Bytes('M', 7) + Bytes('T', 6));
  EXPECT_EQ(Styles(middle + 4), Bytes('T', 13) + Bytes('M', 8));
  EXPECT_LT(EndStyled(), LineStart(middle + 1000));

  // A change there restyles the changed line, still nothing far after the view.
  InsertText(LineStart(middle), "[");
  Repaint();
  EXPECT_EQ(Styles(middle), Bytes('S', 20));
  EXPECT_LT(EndStyled(), LineStart(middle + 1000));
}

}  // namespace
