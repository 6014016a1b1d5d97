#include "automation/EditorLines.h"

#include "app/Model.h"

#include <Qsci/qsciscintilla.h>

TEditorLines::TEditorLines(TModule& module) : Module(module) {}

QsciScintilla* TEditorLines::Editor() const { return Module.GetEditor(); }

int TEditorLines::Count() const {
  const int lines = Editor()->lines();
  return LineStart(lines - 1) == Length() ? lines - 1 : lines;  // an empty last line is none
}

QString TEditorLines::Line(int index) const {
  QString line = Editor()->text(index);
  while (line.endsWith(u'\n') || line.endsWith(u'\r')) line.chop(1);
  return line;
}

void TEditorLines::SetLine(int index, const QString& value) {
  Replace(LineStart(index), LineEnd(index), WithCrLf(value));
}

void TEditorLines::Add(const QStringList& lines) {
  const QString breakFirst = Length() > 0 && !EndsWithBreak() ? QStringLiteral("\r\n") : QString();
  QString text = breakFirst;
  for (const QString& line : lines) text += WithCrLf(line) + QStringLiteral("\r\n");
  Replace(Length(), Length(), text);
}

void TEditorLines::AppendToLast(const QString& text) {
  if (Count() == 0) {
    Add({text});
    return;
  }
  const long end = LineEnd(Count() - 1);
  Replace(end, end, WithCrLf(text));
}

QString TEditorLines::Text() const { return Module.GetText(); }

void TEditorLines::SetText(const QString& text) { Replace(0, Length(), WithCrLf(text)); }

long TEditorLines::Length() const { return Editor()->SendScintilla(QsciScintillaBase::SCI_GETLENGTH); }

long TEditorLines::LineStart(int index) const {
  return Editor()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, index);
}

long TEditorLines::LineEnd(int index) const {
  return Editor()->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, index);
}

bool TEditorLines::EndsWithBreak() const {
  const long last = Editor()->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, Length() - 1);
  return last == '\n' || last == '\r';
}

// Through the target, not setText: that would empty the undo history. The editor's change
// notices are held back meanwhile, since the toolkit's handler of each one counts every
// character before the change, which made a text written line by line slower with each line;
// the editor's listeners hear of the change once, after it.
void TEditorLines::Replace(long from, long to, const QString& text) {
  QsciScintilla* editor = Editor();
  const QByteArray bytes = text.toUtf8();  // the editor holds UTF-8
  const int lines = editor->lines();
  const long notices = editor->SendScintilla(QsciScintillaBase::SCI_GETMODEVENTMASK);
  editor->SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
  editor->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
  editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, from, to);
  editor->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, bytes.size(), bytes.constData());
  editor->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
  editor->SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, notices);
  Module.ContentChanged = true;
  Q_EMIT editor->textChanged();
  if (editor->lines() != lines) Q_EMIT editor->linesChanged();
}
