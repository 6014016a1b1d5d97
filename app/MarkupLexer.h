#pragma once

// The editor's colouring of the project text: a QScintilla lexer run by the editor itself, which
// asks for the lines it is about to show or that a change has touched and no others. Each line
// is scanned on its own by TInkloomHighlighter; a style number is the token kind.

#include <QByteArray>

#include <Qsci/qscilexercustom.h>

#include "generator/Highlighter.h"

class TMarkupLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  explicit TMarkupLexer(QObject* parent = nullptr);

  const char* language() const override;
  QString description(int style) const override;

  using QsciLexer::defaultColor;
  using QsciLexer::defaultFont;
  using QsciLexer::defaultPaper;
  QColor defaultColor(int style) const override;
  QFont defaultFont(int style) const override;
  QColor defaultPaper(int style) const override;

  // Styles the whole lines that [start, end) touches, from the start of the first one.
  void styleText(int start, int end) override;

  // The editor's font: the system's fixed font at 10 points.
  static QFont EditorFont();

 private:
  long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
  long LineStartAt(long pos) const;
  long NextLineStartAfter(long pos) const;
  void StyleLines(int length);
  void StyleLine(const char* text, int length, char* styles);

  TInkloomHighlighter fHighlighter;
  QByteArray fText;
  QByteArray fStyles;
};
