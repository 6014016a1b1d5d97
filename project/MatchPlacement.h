#pragma once

// Where the replace confirmation goes: beside the match it asks about, inside the window's area
// where it can, and never over the match's line.

#include <QPoint>
#include <QRect>
#include <QSize>

class TMatchPlacement {
 public:
  // area: the window's client area on the screen; x, top and bottom: the match's first character.
  // A dialog wider than the area is centred over it, one that would stick out on the right is
  // moved left; below the match unless that is in the lowest third of the area, then above it.
  static QPoint NearMatch(const QRect& area, const QSize& dialog, int x, int top, int bottom);
};
