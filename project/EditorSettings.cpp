#include "project/EditorSettings.h"

#include <Qsci/qsciscintilla.h>

#include <QFontDatabase>

QsciScintilla* NewEditor(QWidget* parent) {
  auto* editor = new QsciScintilla(parent);
  editor->setObjectName(QStringLiteral("Editor"));
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  editor->setFont(font);
  editor->setUtf8(true);
  editor->setEolMode(QsciScintilla::EolWindows);
  QFont gutter = font;
  gutter.setPointSize(8);
  editor->setMarginsFont(gutter);
  editor->setMarginType(0, QsciScintilla::NumberMargin);
  editor->setMarginWidth(0, QStringLiteral("000000"));
  editor->setMarginWidth(1, 0);
  editor->setWrapMode(QsciScintilla::WrapWord);
  // Wrapped lines are laid out for the lines on screen, not the whole text at every change.
  editor->SendScintilla(QsciScintilla::SCI_SETLAYOUTCACHE, QsciScintilla::SC_CACHE_PAGE);
  editor->setTabWidth(2);
  editor->setIndentationsUseTabs(false);
  editor->setAutoIndent(true);
  editor->setEdgeMode(QsciScintilla::EdgeNone);
  // The caret stays within the line's text: typing in the room past its end would add spaces to
  // the line, which silently become part of a variable's value.
  editor->SendScintilla(QsciScintilla::SCI_SETVIRTUALSPACEOPTIONS, QsciScintilla::SCVS_NONE);
  return editor;
}
