// Recovery after a crash: the real program, started offscreen on a private session bus, gets a
// line of text from an outside client and is killed with SIGKILL once the unsaved text is on
// disk; the next start (the program's module and window in a process that answers the question)
// offers the text and restores it, or drops it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class CrashRecovery : public ::testing::Test {
 protected:
  QTemporaryDir Dir;

  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), Dir.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
  }
  void Launch(QProcess& child, const char* stage, const QString& project) const {
    child.setProcessEnvironment(Environment());
    child.start(QStringLiteral(RECOVERY_CHILD), {QLatin1String(stage), project});
    ASSERT_TRUE(child.waitForStarted(10000));
  }
  // The real program gets a line over D-Bus, then is killed once the text is on disk.
  void EditAndCrash(const QString& project) const {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForReadyRead(30000));
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(bus.readLine()).trimmed());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(INKLOOM_PROGRAM), project.isEmpty() ? QStringList() : QStringList{project});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(Written(environment)) << program.readAllStandardError().toStdString();
    program.kill();  // SIGKILL: nothing is saved, nothing is cleaned up
    program.waitForFinished(10000);
    bus.terminate();
    bus.waitForFinished(10000);
  }
  // Writes a line into the running program's editor, then waits for its recovery file.
  bool Written(const QProcessEnvironment& environment) const {
    bool called = false;
    for (int attempt = 0; attempt < 300 && !called; ++attempt) {
      QProcess gdbus;
      gdbus.setProcessEnvironment(environment);
      gdbus.start(QStringLiteral("gdbus"), {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                                            QStringLiteral("org.inkloom.Inkloom"), QStringLiteral("--object-path"),
                                            QStringLiteral("/Application/Editor"), QStringLiteral("--method"),
                                            QStringLiteral("org.inkloom.Editor.Writeln"), QStringLiteral("typed before the crash")});
      called = gdbus.waitForFinished(10000) && gdbus.exitCode() == 0;
      if (!called) QThread::msleep(200);
    }
    for (int wait = 0; called && wait < 300 && RecoveryFiles() == 0; ++wait) QThread::msleep(100);
    return called && RecoveryFiles() == 1;
  }
  // Starts again, answers the question and returns what the program printed.
  QString Restart(const char* answer, const QString& project) const {
    QProcess child;
    Launch(child, answer, project);
    EXPECT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    return QString::fromUtf8(child.readAllStandardOutput());
  }
  int RecoveryFiles() const {
    return static_cast<int>(QDir(Dir.filePath(QStringLiteral("state/inkloom/recovery")))
                                .entryList({QStringLiteral("*.recovery")})
                                .size());
  }
};

}  // namespace

TEST_F(CrashRecovery, UnsavedTextIsOfferedAfterAKillAndRestoredOrDropped) {
  const QString project = Dir.filePath(QStringLiteral("site/shop.iklproj"));
  QDir().mkpath(Dir.filePath(QStringLiteral("site")));
  QFile file(project);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>[index.html]\nsaved</content></iklproj>");
  file.close();
  // A named project, then an untitled one (no file on the command line).
  for (const QString& opened : {project, QString()}) {
    SCOPED_TRACE(opened.toStdString());
    ASSERT_NO_FATAL_FAILURE(EditAndCrash(opened));
    EXPECT_EQ(RecoveryFiles(), 1);

    // Yes: the text comes back, unsaved, in its project.
    const QString restored = Restart("yes", QString());
    EXPECT_TRUE(restored.contains(opened.isEmpty() ? QStringLiteral("asked:Inkloom завершился, не сохранив изменения в Без названия")
                                                   : QStringLiteral("asked:Inkloom завершился, не сохранив изменения в shop")))
        << restored.toStdString();
    EXPECT_TRUE(restored.contains(opened.isEmpty() ? QStringLiteral("text:typed before the crash|\n")
                                                   : QStringLiteral("text:[index.html]|saved|typed before the crash|\n")))
        << restored.toStdString();
    EXPECT_TRUE(restored.contains(QStringLiteral("modified:1"))) << restored.toStdString();

    // Still unsaved when that run ended: offered again; No drops it for good.
    const QString dropped = Restart("no", opened);
    EXPECT_TRUE(dropped.contains(QStringLiteral("asked:"))) << dropped.toStdString();
    EXPECT_TRUE(dropped.contains(QStringLiteral("modified:0"))) << dropped.toStdString();
    EXPECT_EQ(RecoveryFiles(), 0);
    EXPECT_FALSE(Restart("yes", opened).contains(QStringLiteral("asked:")));
  }
}
