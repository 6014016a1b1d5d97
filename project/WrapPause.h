#pragma once

// An editor's lines left unwrapped during a large change: a script's run, a Replace All, an undo
// or redo of either. An editor that wraps lays out every changed line before it returns (the
// toolkit keeps a layout for each line then), which made 100,000 Writeln take many seconds
// instead of one, and the undo of a Replace All of 10,000 lines almost three. The lines are
// wrapped again when the change ends, in idle time.

class QsciScintilla;

class TWrapPause {
 public:
  explicit TWrapPause(QsciScintilla* editor);
  ~TWrapPause();
  TWrapPause(const TWrapPause&) = delete;
  TWrapPause& operator=(const TWrapPause&) = delete;

 private:
  QsciScintilla* Editor;
  int Mode;
};
