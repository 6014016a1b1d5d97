#include "preview/IncludeScan.h"

#include <QByteArray>
#include <QIODevice>

namespace {

// Long enough to hold the longer mark but for its last byte, so a mark cut between two pieces
// is seen whole.
constexpr qsizetype Overlap = 7;

bool HoldsMark(const QByteArray& lowered) {
  return lowered.contains("<?php") || lowered.contains("#include");
}

}  // namespace

bool TIncludeScan::MayHoldIncludes(QIODevice& page) {
  QByteArray tail;
  for (;;) {
    const QByteArray piece = page.read(PieceSize);
    if (piece.isEmpty()) return false;
    const QByteArray lowered = (tail + piece).toLower();
    if (HoldsMark(lowered)) return true;
    tail = lowered.right(Overlap);
  }
}
