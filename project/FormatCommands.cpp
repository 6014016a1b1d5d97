#include "project/FormatCommands.h"

#include "project/Formatting.h"
#include "project/WrapPause.h"

#include <Qsci/qsciscintilla.h>

namespace {

long Bytes(const QString& text) { return static_cast<long>(text.toUtf8().size()); }

}  // namespace

// One undo step that also records the selection, through an action of the program's own at
// the step's start: Scintilla hands it back when the step is undone.
class TFormatCommands::TUndoStep {
 public:
  explicit TUndoStep(TFormatCommands& owner) : Editor(owner.Editor) {
    const int token = owner.NextToken++;
    owner.Selections.insert(token, {Editor->SendScintilla(QsciScintilla::SCI_GETANCHOR),
                                    Editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS)});
    Editor->beginUndoAction();
    Editor->SendScintilla(QsciScintilla::SCI_ADDUNDOACTION, token, 0L);
  }
  ~TUndoStep() { Editor->endUndoAction(); }

 private:
  QsciScintilla* Editor;
};

TFormatCommands::TFormatCommands(QsciScintilla* editor) : QObject(editor), Editor(editor) {
  connect(Editor, &QsciScintilla::SCN_MODIFIED, this,
          [this](int, int type, const char*, int, int, int, int, int, int token, int) {
            NoteUndone(type, token);
          });
}

void TFormatCommands::NoteUndone(int modificationType, int token) {
  const int undone = QsciScintilla::SC_MOD_CONTAINER | QsciScintilla::SC_PERFORMED_UNDO;
  if ((modificationType & undone) == undone && Selections.contains(token))
    UndoneSelection = Selections.value(token);
}

void TFormatCommands::Undo() {
  UndoneSelection.reset();
  {
    const TWrapPause unwrapped(Editor);
    Editor->undo();
  }
  if (UndoneSelection) Select(UndoneSelection->first, UndoneSelection->second);
  UndoneSelection.reset();
}

long TFormatCommands::SelectionStart() const {
  return Editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART);
}

long TFormatCommands::SelectionEnd() const {
  return Editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND);
}

QString TFormatCommands::SelectedText() const { return Editor->selectedText(); }

void TFormatCommands::ReplaceSelection(const QString& text) {
  Editor->SendScintilla(QsciScintilla::SCI_REPLACESEL, text.toUtf8().constData());
}

void TFormatCommands::Select(long anchor, long caret) {
  Editor->SendScintilla(QsciScintilla::SCI_SETSEL, anchor, caret);
}

QString TFormatCommands::LineText(long line) const {
  QString text = Editor->text(static_cast<int>(line));
  while (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
  return text;
}

void TFormatCommands::ReplaceLine(long line, const QString& text) {
  const long start = Editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line);
  Select(start, Editor->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, line));
  ReplaceSelection(text);
}

void TFormatCommands::Heading(int level) {
  TUndoStep step(*this);
  const long line = Editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, Editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS));
  ReplaceLine(line, TFormatting::ToggleHeading(LineText(line), level));
}

void TFormatCommands::Emphasis(const QString& opener) {
  if (!Editor->hasSelectedText()) return;
  TUndoStep step(*this);
  ReplaceSelection(opener + SelectedText() + u']');
}

void TFormatCommands::InsertLink(const QString& url, const QString& text) {
  TUndoStep step(*this);
  const long start = SelectionStart();
  if (Editor->hasSelectedText()) {
    ReplaceSelection(QStringLiteral("*[") + SelectedText() + u']');
    Select(start + 2, start + 2);
    return;
  }
  ReplaceSelection(QStringLiteral("*[") + url + u' ' + text + u']');
  Select(start + 2, start + 2 + Bytes(url));
}

void TFormatCommands::InsertImage(const QString& path) {
  TUndoStep step(*this);
  const long start = SelectionStart();
  const QString tail = Editor->hasSelectedText() ? QStringLiteral(" alt=\"") + SelectedText() + QStringLiteral("\"]")
                                                 : QStringLiteral("]");
  ReplaceSelection(QStringLiteral("![") + path + tail);
  Select(start + 2, start + 2 + Bytes(path));
}

void TFormatCommands::ToggleList(QChar other, QChar own) {
  TUndoStep step(*this);
  const long first = Editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, SelectionStart());
  const long end = SelectionEnd();
  long last = Editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, end);
  // A selection ending at the start of a line leaves that line out.
  if (last > first && end == Editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, last)) --last;
  for (long line = first; line <= last; ++line)
    ReplaceLine(line, TFormatting::ToggleListMarker(LineText(line), other, own));
}
