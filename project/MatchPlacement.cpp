#include "project/MatchPlacement.h"

#include <cmath>

QPoint TMatchPlacement::NearMatch(const QRect& area, const QSize& dialog, int x, int top, int bottom) {
  const int right = area.left() + area.width();  // the first column past the area
  if (area.width() <= dialog.width())
    x = area.left() - (dialog.width() - area.width()) / 2;
  else if (x + dialog.width() > right)
    x = right - dialog.width();
  const int lowestThird = area.top() + static_cast<int>(std::lround(area.height() * 2 / 3.0));
  const int y = bottom > lowestThird ? top - dialog.height() - 4 : bottom + 4;
  return {x, y};
}
