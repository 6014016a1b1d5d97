#pragma once

// The main editor's lines left unwrapped while a script runs. Nothing is drawn during a run,
// yet an editor that wraps lays out its whole text again for every line a script adds (the
// toolkit keeps a layout for each line then), which made 100,000 Writeln take many seconds
// instead of one. The lines are wrapped again, once, when the run ends.

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
