#pragma once

// A line list held in memory only: the text of a free-standing text object.

#include "automation/LineList.h"

class TStringLines : public TLineList {
 public:
  int Count() const override { return Lines.size(); }
  QString Line(int index) const override { return Lines[index]; }
  void SetLine(int index, const QString& value) override;
  void Add(const QStringList& lines) override;
  void AppendToLast(const QString& text) override;
  QString Text() const override;
  void SetText(const QString& text) override;

 private:
  QStringList Lines;
  // Whether the text ends with a line break after its last line, as the main editor's may not.
  bool EndsWithBreak = false;
};
