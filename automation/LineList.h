#pragma once

// A text seen as a list of lines, the way the automation editor object reads and writes it: a
// line break ends the line before it, so a final line break starts no empty line; the empty
// text has no lines at all. Every change is one step for undo. The main editor's text and the
// free-standing text objects are both line lists.

#include <QString>
#include <QStringList>

class TLineList {
 public:
  virtual ~TLineList() = default;

  virtual int Count() const = 0;
  // index must be below Count.
  virtual QString Line(int index) const = 0;
  virtual void SetLine(int index, const QString& value) = 0;
  // Appends the lines at the end, each ended by a line break.
  virtual void Add(const QStringList& lines) = 0;
  // Appends text to the end of the last line; with no lines, text becomes the first.
  virtual void AppendToLast(const QString& text) = 0;
  // The whole text, lines joined by CR LF.
  virtual QString Text() const = 0;
  virtual void SetText(const QString& text) = 0;

  // Line breaks of any kind (CR LF, LF, CR) as CR LF, the line end of project texts.
  static QString WithCrLf(const QString& text);
  // The lines of a text by the rule above.
  static QStringList Split(const QString& text);
};
