#pragma once

// The user guide and the program's home page in a browser window of the program's own, so that
// Help works on any machine, with or without a desktop browser. One window, reused; it stays
// open beside the editor.

#include <QString>

class THelpWindow {
 public:
  // Shows the page (a file of the guide) and brings the window to the front.
  static void Show(const QString& file);
  // The window now open, or null.
  static class TBrowserForm* Current();
};
