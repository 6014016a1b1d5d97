#pragma once

// Applies a stored window placement to a top-level widget and takes it back: the restored
// rectangle is the widget's normal geometry (its client area), the show state its window state.

#include "services/WindowPlacement.h"

class QWidget;

class TWidgetPlacement {
 public:
  // False, leaving the widget alone, for a record of the wrong length. A rectangle without area
  // keeps the widget's size and position; one that lies on no screen is moved onto the primary
  // screen, as the window system does on Windows.
  static bool Apply(QWidget* window, const TWindowPlacement& placement);
  static TWindowPlacement Capture(const QWidget* window);
};
