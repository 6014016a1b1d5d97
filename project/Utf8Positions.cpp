#include "project/Utf8Positions.h"

#include <algorithm>

TUtf8Positions::TUtf8Positions(QStringView text, qsizetype index, qsizetype byte)
    : Text(text), Index(index), Byte(byte) {}

qsizetype TUtf8Positions::ToByte(qsizetype index) {
  index = std::clamp<qsizetype>(index, 0, Text.size());
  while (Index < index) StepForward();
  while (Index > index) StepBack();
  return Byte;
}

qsizetype TUtf8Positions::ToIndex(qsizetype byte) {
  while (Index > 0 && Byte > byte) StepBack();
  while (Index < Text.size() && Byte < byte) StepForward();
  return Index;
}

int TUtf8Positions::UnitsAt(qsizetype at) const {
  return Text[at].isHighSurrogate() && at + 1 < Text.size() && Text[at + 1].isLowSurrogate() ? 2 : 1;
}

int TUtf8Positions::UnitsBefore(qsizetype at) const {
  return Text[at - 1].isLowSurrogate() && at >= 2 && Text[at - 2].isHighSurrogate() ? 2 : 1;
}

// A lone surrogate becomes the three bytes of the replacement character.
int TUtf8Positions::BytesOf(QChar first, int units) {
  if (units == 2) return 4;
  const char16_t c = first.unicode();
  return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

void TUtf8Positions::StepForward() {
  const int units = UnitsAt(Index);
  Byte += BytesOf(Text[Index], units);
  Index += units;
}

void TUtf8Positions::StepBack() {
  const int units = UnitsBefore(Index);
  Index -= units;
  Byte -= BytesOf(Text[Index], units);
}
