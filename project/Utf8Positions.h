#pragma once

// Converts between UTF-16 indexes of a text and the byte offsets of its UTF-8 form, which is how
// the editor counts positions. It walks from the last position it converted, so converting the
// positions of a search in order costs one pass over the text, not one per position.

#include <QStringView>

class TUtf8Positions {
 public:
  // index and byte: a pair known to correspond, where walking starts.
  explicit TUtf8Positions(QStringView text, qsizetype index = 0, qsizetype byte = 0);

  qsizetype ToByte(qsizetype index);
  // A byte inside a character gives the index of the character after it.
  qsizetype ToIndex(qsizetype byte);

 private:
  QStringView Text;
  qsizetype Index;
  qsizetype Byte;

  // The UTF-8 bytes of the UTF-16 unit at: a surrogate pair's four all count on its first half.
  int BytesAt(qsizetype at) const;
};
