// The preview window's tests run a real embedded browser (offscreen), which must be prepared
// before the application object exists; so they bring their own main.

#include "app/Application.h"
#include "preview/BrowserEngine.h"
#include "services/WidgetTextAdapter.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Listing the tests at build time runs this program without a display too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PrepareBrowserEngine();
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
