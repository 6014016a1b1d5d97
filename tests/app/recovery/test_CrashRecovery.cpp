// Recovery after a crash with the real module and window in a process of their own: typed text,
// the process killed with SIGKILL, the next start offers the text and restores it, or drops it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
  // Types into the editor, then kills the program once the text is on disk.
  void EditAndCrash(const QString& project) const {
    QProcess child;
    ASSERT_NO_FATAL_FAILURE(Launch(child, "edit", project));
    QByteArray out;
    while (!out.contains("ready\n") && child.waitForReadyRead(60000)) out += child.readAllStandardOutput();
    ASSERT_TRUE(out.contains("ready\n")) << child.readAllStandardError().toStdString();
    child.kill();  // SIGKILL: nothing is saved, nothing is cleaned up
    child.waitForFinished(10000);
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
    EXPECT_TRUE(restored.contains(opened.isEmpty() ? QStringLiteral("text:typed before the crash \n")
                                                   : QStringLiteral("text:typed before the crash [index.html]|saved\n")))
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
