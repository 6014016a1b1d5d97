#pragma once

// The formatting commands on an editor: headings, emphasis, links, images and lists. Each
// change is one undo step, and its undo also brings back the caret and the selection the
// command started from.

#include <QChar>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

class QsciScintilla;

class TFormatCommands : public QObject {
  Q_OBJECT
 public:
  explicit TFormatCommands(QsciScintilla* editor);

  // Header 1 to 3 on the caret's line; the caret ends at the end of the line.
  void Heading(int level);
  // opener ("_[", "__[", "___[") and "]" around the selection; nothing without one.
  void Emphasis(const QString& opener);
  // "*[selection]" with the caret after "*[", or "*[url text]" with url selected.
  void InsertLink(const QString& url, const QString& text);
  // "![path]" or "![path alt="selection"]", with path selected.
  void InsertImage(const QString& path);
  // The list marker own on every line of the selection (the caret's line without one).
  void ToggleList(QChar other, QChar own);
  // The editor's undo, which puts back the selection when it undoes one of these commands.
  void Undo();

 private:
  class TUndoStep;
  QsciScintilla* Editor;
  // Undo steps by their token: the selection (anchor, caret) to restore when undone.
  QHash<int, QPair<long, long>> Selections;
  int NextToken = 1;
  // The selection an undo in progress is to end with (the editor sets its own at the end).
  std::optional<QPair<long, long>> UndoneSelection;

  long SelectionStart() const;
  long SelectionEnd() const;
  QString SelectedText() const;
  void ReplaceSelection(const QString& text);
  void Select(long anchor, long caret);
  QString LineText(long line) const;
  void ReplaceLine(long line, const QString& text);
  void NoteUndone(int modificationType, int token);
};
