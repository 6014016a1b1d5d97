#include "app/MarkupLexer.h"

#include <QFontDatabase>

#include <Qsci/qsciscintilla.h>

#include <string_view>

TMarkupLexer::TMarkupLexer(QObject* parent) : QsciLexerCustom(parent) {
  // The editor's default style, behind and after the text.
  setDefaultColor(defaultColor(TInkloomHighlighter::tkText));
  setDefaultPaper(defaultPaper(TInkloomHighlighter::tkText));
  setDefaultFont(defaultFont(TInkloomHighlighter::tkText));
}

const char* TMarkupLexer::language() const { return "Inkloom"; }

// Styles beyond the table have no description, which tells the editor where the table ends.
QString TMarkupLexer::description(int style) const {
  if (style < 0 || style >= TInkloomHighlighter::KindCount) return QString();
  return QString::fromLatin1(TInkloomHighlighter::Attribute(style).Name);
}

QColor TMarkupLexer::defaultColor(int style) const {
  return TInkloomHighlighter::Attribute(style).Foreground;
}

QFont TMarkupLexer::defaultFont(int style) const {
  const TInkloomAttribute& attribute = TInkloomHighlighter::Attribute(style);
  QFont font = EditorFont();
  font.setBold(attribute.Bold);
  font.setItalic(attribute.Italic);
  return font;
}

QColor TMarkupLexer::defaultPaper(int) const { return QColor(Qt::white); }

QFont TMarkupLexer::EditorFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  return font;
}

long TMarkupLexer::Send(unsigned int message, unsigned long wParam, long lParam) const {
  return editor()->SendScintilla(message, wParam, lParam);
}

void TMarkupLexer::styleText(int start, int end) {
  if (!editor() || end <= start) return;
  const long from = LineStartAt(start);
  const long to = NextLineStartAfter(end - 1);
  const int length = static_cast<int>(to - from);
  if (length <= 0) return;

  fText.resize(length + 1);  // the range is copied with a terminating NUL
  editor()->SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, from, to, fText.data());
  fStyles.fill(static_cast<char>(TInkloomHighlighter::tkText), length);
  StyleLines(length);
  startStyling(static_cast<int>(from));
  editor()->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<uintptr_t>(length),
                          fStyles.constData());
}

long TMarkupLexer::LineStartAt(long pos) const {
  return Send(QsciScintillaBase::SCI_POSITIONFROMLINE,
              Send(QsciScintillaBase::SCI_LINEFROMPOSITION, pos));
}

// The start of the line after the one holding pos, or the end of the text after the last line.
long TMarkupLexer::NextLineStartAfter(long pos) const {
  const long nextLine = Send(QsciScintillaBase::SCI_LINEFROMPOSITION, pos) + 1;
  if (nextLine >= Send(QsciScintillaBase::SCI_GETLINECOUNT))
    return Send(QsciScintillaBase::SCI_GETLENGTH);
  return Send(QsciScintillaBase::SCI_POSITIONFROMLINE, nextLine);
}

// Splits the copied text at its line breaks ("\r\n", "\n" or "\r"), which keep the "Text" style.
void TMarkupLexer::StyleLines(int length) {
  for (int lineStart = 0; lineStart < length;) {
    int lineEnd = lineStart;
    while (lineEnd < length && fText[lineEnd] != '\n' && fText[lineEnd] != '\r') ++lineEnd;
    StyleLine(fText.constData() + lineStart, lineEnd - lineStart, fStyles.data() + lineStart);
    lineStart = lineEnd + 1;
    if (lineEnd + 1 < length && fText[lineEnd] == '\r' && fText[lineEnd + 1] == '\n') ++lineStart;
  }
}

void TMarkupLexer::StyleLine(const char* text, int length, char* styles) {
  for (fHighlighter.SetLine(std::string_view(text, length)); !fHighlighter.GetEol();
       fHighlighter.Next()) {
    const int kind = fHighlighter.GetTokenKind();
    if (kind == TInkloomHighlighter::tkText) continue;  // already filled in
    const int tokenEnd = fHighlighter.GetTokenPos() + fHighlighter.GetTokenLength();
    for (int i = fHighlighter.GetTokenPos(); i < tokenEnd; ++i) styles[i] = static_cast<char>(kind);
  }
}
