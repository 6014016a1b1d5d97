#include "project/RecoveryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RecoveryFileTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  void SetUp() override { qputenv("XDG_STATE_HOME", Dir.filePath(QStringLiteral("state")).toUtf8()); }
  QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }
  static void Touch(const QString& file, const QDateTime& time) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
  }
  static QStringList Projects(const QList<TRecoveredText>& pending) {
    QStringList projects;
    for (const TRecoveredText& recovered : pending) projects.append(recovered.Project);
    return projects;
  }
};

}  // namespace

TEST_F(RecoveryFileTest, KeepsAnyTextAndTheProjectItBelongsTo) {
  const QString project = Path("odd\nname/site.iklproj");
  const QString file = TRecoveryFile::PathFor(project, QStringLiteral("1"));
  EXPECT_TRUE(file.startsWith(Dir.filePath(QStringLiteral("state/inkloom/recovery/site-"))));
  EXPECT_NE(file, TRecoveryFile::PathFor(Path("other/site.iklproj"), QStringLiteral("1")));
  EXPECT_NE(TRecoveryFile::PathFor(QString(), QStringLiteral("1")), TRecoveryFile::PathFor(QString(), QStringLiteral("2")));
  const QString text = QStringLiteral("Caf\u00e9 \U0001D11E\r\n\u0001 \\n line\r\n");
  TRecoveryFile::Write(file, project, text);
  TRecoveredText read;
  ASSERT_TRUE(TRecoveryFile::Read(file, read));
  EXPECT_EQ(read.Project, project);
  EXPECT_EQ(read.Text, text);
  // Anything else in the folder is no recovery file.
  QFile other(Path("state/inkloom/recovery/x.recovery"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("something else");
  other.close();
  EXPECT_FALSE(TRecoveryFile::Read(other.fileName(), read));
}

TEST_F(RecoveryFileTest, OffersTextsNewerThanTheirProjectsNewestFirst) {
  const QDateTime now = QDateTime::currentDateTime();
  const QString saved = Path("saved.iklproj"), edited = Path("edited.iklproj");
  for (const QString& project : {saved, edited}) Touch(project, now.addSecs(-100));
  const QString stale = TRecoveryFile::PathFor(saved, QString());
  const QString fresh = TRecoveryFile::PathFor(edited, QString());
  const QString untitled = TRecoveryFile::PathFor(QString(), QStringLiteral("7"));
  const QString gone = TRecoveryFile::PathFor(Path("gone.iklproj"), QString());
  const QString busy = TRecoveryFile::PathFor(Path("busy.iklproj"), QString());
  for (const QString& file : {stale, fresh, untitled, gone, busy}) TRecoveryFile::Write(file, QString(), QStringLiteral("t"));
  TRecoveryFile::Write(stale, saved, QStringLiteral("old"));
  TRecoveryFile::Write(fresh, edited, QStringLiteral("new"));
  TRecoveryFile::Write(gone, Path("gone.iklproj"), QStringLiteral("gone"));
  TRecoveryFile::Write(busy, Path("busy.iklproj"), QStringLiteral("busy"));
  Touch(stale, now.addSecs(-200));  // the project was saved after it
  Touch(fresh, now.addSecs(-10));
  Touch(untitled, now.addSecs(-20));
  Touch(gone, now.addSecs(-30));
  QLockFile lock(TRecoveryFile::LockPath(busy));  // another program still writes it
  ASSERT_TRUE(lock.tryLock(0));

  EXPECT_EQ(Projects(TRecoveryFile::Pending()), (QStringList{edited, QString(), Path("gone.iklproj")}));
  EXPECT_FALSE(QFileInfo::exists(stale));
  EXPECT_TRUE(QFileInfo::exists(busy));
  lock.unlock();
  EXPECT_EQ(TRecoveryFile::Pending().size(), 4);
}
