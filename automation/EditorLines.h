#pragma once

// The main editor's text as a line list. The editor always shows at least one line, but an empty
// text has none here, so that a script's first Writeln makes line 0. Each change is one undo
// step, and the section list is rebuilt at the next idle moment.

#include "automation/LineList.h"

class QsciScintilla;
class TModule;

class TEditorLines : public TLineList {
 public:
  // module outlives the list.
  explicit TEditorLines(TModule& module);

  int Count() const override;
  QString Line(int index) const override;
  void SetLine(int index, const QString& value) override;
  void Add(const QStringList& lines) override;
  void AppendToLast(const QString& text) override;
  QString Text() const override;
  void SetText(const QString& text) override;

 private:
  TModule& Module;

  QsciScintilla* Editor() const;
  long Length() const;
  long LineStart(int index) const;
  long LineEnd(int index) const;  // before the line's break
  bool EndsWithBreak() const;
  // Replaces the text between two positions as one undo step.
  void Replace(long from, long to, const QString& text);
};
