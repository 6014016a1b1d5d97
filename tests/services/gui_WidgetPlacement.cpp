// Window placements on real top-level widgets, through the settings file.

#include "TempFolder.h"

#include "services/ConfigFile.h"
#include "services/WidgetPlacement.h"
#include "services/WindowPlacement.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QString General = QStringLiteral("General");
const QString Key = QStringLiteral("PreviewPosition");

class WidgetPlacementTest : public ::testing::Test {
 protected:
  TTempFolder Temp;
  TConfigFile Config;

  static QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(WidgetPlacementTest, ANormalWindowComesBackWhereItWas) {
  QWidget first;
  first.setGeometry(Screen().left() + 40, Screen().top() + 50, 320, 240);
  first.show();
  Config.SaveWindowPlacement(General, Key, &first);
  TWindowPlacement stored;
  ASSERT_TRUE(Config.ReadPlacement(General, Key, stored));
  EXPECT_EQ(stored.Length, 44);
  EXPECT_EQ(stored.ShowCmd, TWindowPlacement::ShowNormal);
  EXPECT_EQ(stored.Right - stored.Left, 320);
  EXPECT_EQ(stored.Bottom - stored.Top, 240);

  QWidget second;
  second.resize(100, 100);
  EXPECT_TRUE(Config.RestoreWindowPlacement(General, Key, &second));
  EXPECT_EQ(second.geometry(), first.geometry());
  EXPECT_EQ(second.windowState(), Qt::WindowNoState);
}

TEST_F(WidgetPlacementTest, AMaximisedWindowKeepsItsNormalRectangle) {
  TWindowPlacement placement;
  placement.ShowCmd = TWindowPlacement::ShowMaximized;
  placement.Left = Screen().left() + 10;
  placement.Top = Screen().top() + 20;
  placement.Right = placement.Left + 300;
  placement.Bottom = placement.Top + 200;
  Config.WritePlacement(General, Key, placement);

  QWidget window;
  ASSERT_TRUE(Config.RestoreWindowPlacement(General, Key, &window));
  EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
  window.show();
  const TWindowPlacement back = TWidgetPlacement::Capture(&window);
  EXPECT_EQ(back.ShowCmd, TWindowPlacement::ShowMaximized);
  EXPECT_EQ(QRect(back.Left, back.Top, back.Right - back.Left, back.Bottom - back.Top),
            QRect(placement.Left, placement.Top, 300, 200));
}

TEST_F(WidgetPlacementTest, AMinimisedWindowThatWasMaximised) {
  TWindowPlacement placement;
  placement.ShowCmd = TWindowPlacement::ShowMinimized;
  placement.Flags = TWindowPlacement::FlagRestoreToMaximized;
  placement.Left = Screen().left();
  placement.Top = Screen().top();
  placement.Right = placement.Left + 200;
  placement.Bottom = placement.Top + 100;
  QWidget window;
  ASSERT_TRUE(TWidgetPlacement::Apply(&window, placement));
  EXPECT_EQ(window.windowState(), Qt::WindowMinimized | Qt::WindowMaximized);
  const TWindowPlacement back = TWidgetPlacement::Capture(&window);
  EXPECT_EQ(back.ShowCmd, TWindowPlacement::ShowMinimized);
  EXPECT_EQ(back.Flags, TWindowPlacement::FlagRestoreToMaximized);
}

TEST_F(WidgetPlacementTest, UnusableRecordsLeaveTheWindowAlone) {
  QWidget window;
  window.setGeometry(Screen().left() + 5, Screen().top() + 6, 250, 150);
  const QRect designed = window.geometry();

  EXPECT_FALSE(Config.RestoreWindowPlacement(General, Key, &window));  // no value
  TWindowPlacement wrongLength;
  wrongLength.Length = 40;
  wrongLength.Right = wrongLength.Bottom = 500;
  EXPECT_FALSE(TWidgetPlacement::Apply(&window, wrongLength));
  TWindowPlacement noArea;
  noArea.Left = noArea.Right = 70;
  noArea.Bottom = 900;
  EXPECT_TRUE(TWidgetPlacement::Apply(&window, noArea));
  EXPECT_EQ(window.geometry(), designed);
}

// A record from a screen that is no longer there must not put the window out of reach.
TEST_F(WidgetPlacementTest, ARectangleOnNoScreenIsMovedOntoTheScreen) {
  TWindowPlacement placement;
  placement.Left = Screen().right() + 5000;
  placement.Top = Screen().bottom() + 5000;
  placement.Right = placement.Left + 200;
  placement.Bottom = placement.Top + 150;
  QWidget window;
  ASSERT_TRUE(TWidgetPlacement::Apply(&window, placement));
  EXPECT_TRUE(Screen().intersects(window.geometry()));
  EXPECT_EQ(window.size(), QSize(200, 150));
}

}  // namespace
