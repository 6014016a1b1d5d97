// The main of the test programs that make windows: they need the program's application object,
// made after the embedded browser's start-up as the program makes it, so they bring this main
// instead of GoogleTest's. Being an object file, it is linked before the gtest_main archive.

#include "app/Application.h"
#include "preview/BrowserWindows.h"
#include "services/WidgetTextAdapter.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Listing the tests at build time runs these programs without a display too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TBrowserWindows::Load();  // linked in: prepares the engine
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
