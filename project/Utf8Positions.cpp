#include "project/Utf8Positions.h"

#include <algorithm>

TUtf8Positions::TUtf8Positions(QStringView text, qsizetype index, qsizetype byte)
    : Text(text), Index(index), Byte(byte) {}

// A lone surrogate becomes the three bytes of the replacement character.
int TUtf8Positions::BytesAt(qsizetype at) const {
  const char16_t c = Text[at].unicode();
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (QChar::isHighSurrogate(c)) return at + 1 < Text.size() && Text[at + 1].isLowSurrogate() ? 4 : 3;
  if (QChar::isLowSurrogate(c)) return at > 0 && Text[at - 1].isHighSurrogate() ? 0 : 3;
  return 3;
}

qsizetype TUtf8Positions::ToByte(qsizetype index) {
  index = std::clamp<qsizetype>(index, 0, Text.size());
  for (; Index < index; ++Index) Byte += BytesAt(Index);
  for (; Index > index; --Index) Byte -= BytesAt(Index - 1);
  return Byte;
}

qsizetype TUtf8Positions::ToIndex(qsizetype byte) {
  while (Index > 0 && Byte > byte) Byte -= BytesAt(--Index);
  while (Index < Text.size() && (Byte < byte || BytesAt(Index) == 0)) Byte += BytesAt(Index++);
  return Index;
}
