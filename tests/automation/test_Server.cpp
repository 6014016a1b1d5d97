// The pieces of the automation server that need no bus: the activation file's text and the
// life of a program a client started.

#include "QtPrinters.h"
#include "automation/AutomationLifetime.h"
#include "automation/ServiceFile.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

// The application object is test_ActiveScript.cpp's.

namespace {

// Runs the event loop until ended says so, or for at most half a minute.
bool WaitFor(const std::function<bool()>& ended) {
  for (int i = 0; i < 600 && !ended(); ++i) QTest::qWait(50);
  return ended();
}

}  // namespace

TEST(ServiceFile, TheExecLineNamesTheProgramAsTheBusSplitsIt) {
  const struct {
    const char* Path;
    const char* Exec;
  } cases[] = {
      {"/usr/bin/inkloom", "/usr/bin/inkloom"},
      {"/opt/My Apps/inkloom", "\"/opt/My Apps/inkloom\""},
      {"/tmp/a\"b$c`d\\e/inkloom", "\"/tmp/a\\\"b\\$c\\`d\\\\e/inkloom\""},
  };
  for (const auto& c : cases) EXPECT_EQ(TServiceFile::ExecArgument(QString::fromUtf8(c.Path)), QString::fromUtf8(c.Exec));
  EXPECT_EQ(TServiceFile::Contents(QStringLiteral("/usr/bin/inkloom")),
            QStringLiteral("[D-BUS Service]\nName=org.inkloom.Inkloom\nExec=/usr/bin/inkloom -automation\n"));
}

TEST(AutomationLifetime, EndsWhenIdleUnlessChangesAreUnsavedOrTheUserTookOver) {
  bool unsaved = true;
  int ended = 0;
  TAutomationLifetime idle([&] { return unsaved; }, [&] { ++ended; }, 50);
  // Unsaved changes keep it; once they are saved it ends at the next look.
  QTest::qWait(200);
  EXPECT_EQ(ended, 0);
  unsaved = false;
  EXPECT_TRUE(WaitFor([&] { return ended == 1; }));

  // A key press makes it the user's program for good.
  TAutomationLifetime used([] { return false; }, [&] { ++ended; }, 50);
  QObject target;
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QCoreApplication::sendEvent(&target, &key);
  EXPECT_TRUE(used.UserTookOver());
  used.Called();
  QTest::qWait(200);
  EXPECT_EQ(ended, 1);
}
