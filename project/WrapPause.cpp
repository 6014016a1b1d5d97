#include "project/WrapPause.h"

#include <Qsci/qsciscintilla.h>

TWrapPause::TWrapPause(QsciScintilla* editor) : Editor(editor), Mode(editor->wrapMode()) {
  if (Mode != QsciScintilla::WrapNone) Editor->setWrapMode(QsciScintilla::WrapNone);
}

TWrapPause::~TWrapPause() {
  if (Mode != QsciScintilla::WrapNone) Editor->setWrapMode(static_cast<QsciScintilla::WrapMode>(Mode));
}
