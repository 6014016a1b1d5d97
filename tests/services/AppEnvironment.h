#pragma once

// Creates the Qt application object of a test program for the whole run: QAction needs a
// QGuiApplication (its shortcuts), widgets a QApplication. The offscreen platform needs no display.

#include <gtest/gtest.h>

#include <QtGlobal>

template <class TApp>
class TAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    static int argc = 1;
    static char name[] = "inkloom_tests";
    static char* argv[] = {name, nullptr};
    App = new TApp(argc, argv);
  }
  void TearDown() override { delete App; }

 private:
  TApp* App = nullptr;
};
