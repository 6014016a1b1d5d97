#pragma once

#include <QtGlobal>

class QIODevice;

// Whether a page may hold include directives, read in pieces of bounded size, so that a page too
// large to expand is looked through without being held in memory. A page without "<?php" and
// "#include" (in any letter case) holds none and is sent as it is.
class TIncludeScan {
 public:
  static constexpr qint64 PieceSize = 64 * 1024;

  // Reads the device from where it stands to its end.
  static bool MayHoldIncludes(QIODevice& page);
};
