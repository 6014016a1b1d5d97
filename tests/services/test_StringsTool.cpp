// The translation tool on a copy of the program's tables.

#include "TempFolder.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

class StringsToolTest : public ::testing::Test {
 protected:
  TTempFolder Temp;
  QString Tables = Temp.Path(QStringLiteral("strings"));

  void SetUp() override {
    const QDir source(QStringLiteral(INKLOOM_SOURCE_DIR "/resources/strings"));
    QDir().mkpath(Tables);
    for (const QString& name : source.entryList({QStringLiteral("*.ini")}, QDir::Files))
      ASSERT_TRUE(QFile::copy(source.filePath(name), QDir(Tables).filePath(name)));
  }

  QByteArray Run(const QStringList& args, int expectedExit = 0) {
    QProcess tool;
    tool.start(QStringLiteral(INKLOOM_STRINGS_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), expectedExit) << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
  }

  QByteArray Snapshot() const {
    QByteArray all;
    for (const QString& name : QDir(Tables).entryList(QDir::Files, QDir::Name))
      all += name.toUtf8() + '\n' + Temp.Read(QStringLiteral("strings/") + name);
    return all;
  }
};

TEST_F(StringsToolTest, ExportingAndImportingALanguageChangesNothing) {
  const QByteArray before = Snapshot();
  const QByteArray russian = Run({"export", "1049", Tables});
  EXPECT_TRUE(russian.startsWith("[AboutForm]\nAboutForm.Caption=О программе\n"));
  EXPECT_TRUE(russian.contains("\n[WelcomeForm]\n"));
  Temp.Write(QStringLiteral("ru.txt"), russian);
  EXPECT_EQ(Run({"import", "1049", Temp.Path(QStringLiteral("ru.txt")), Tables}), QByteArray());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(StringsToolTest, ANewLanguageIsImportedIntoItsTables) {
  Temp.Write(QStringLiteral("de.txt"),
             "[OptionsForm]\nOptionsForm.Caption=Optionen\n\n[NoSuchTable]\nA=B\n");
  const QByteArray written = Run({"import", "1031", Temp.Path(QStringLiteral("de.txt")), Tables});
  EXPECT_TRUE(written.trimmed().endsWith("OptionsForm.ini"));
  EXPECT_EQ(Run({"export", "1031", Tables}), QByteArray("[OptionsForm]\nOptionsForm.Caption=Optionen\n"));
  EXPECT_TRUE(Temp.Read(QStringLiteral("strings/OptionsForm.ini"))
                  .endsWith("[1031]\nOptionsForm.Caption=Optionen\n\n"
                            "[UnlocalizableNames]\nProjectPathButton.Caption\nThemesPathButton.Caption\n"
                            "LanguageComboBox.Items[0]\nLanguageComboBox.Items[1]\n"));
  Run({"export", "abc", Tables}, 2);
}

}  // namespace
