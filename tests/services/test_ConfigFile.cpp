// The settings file: ini rules, value encodings, placement records, the file on disk.

#include "TempFolder.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "services/ConfigFile.h"
#include "services/WindowPlacement.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>

#include <memory>

namespace {

const QString General = QStringLiteral("General");

// A settings file of the program's own kind, below XDG_CONFIG_HOME of a temporary folder.
class ConfigFileTest : public ::testing::Test {
 protected:
  TTempFolder Temp;

  QString FilePath() const { return Temp.Path(QStringLiteral("config/Inkloom/config.ini")); }
  void WriteFile(const QByteArray& bytes) { Temp.Write(QStringLiteral("config/Inkloom/config.ini"), bytes); }
  QByteArray ReadFile() const { return Temp.Read(QStringLiteral("config/Inkloom/config.ini")); }

  static std::unique_ptr<TConfigFile> Make(bool autoSave = false) {
    auto config = std::make_unique<TConfigFile>();
    config->SetFileName(QStringLiteral("Inkloom\\config.ini"));
    config->SetLocation(cflCommonAppData);
    config->SetAutoLoad(true);
    config->SetAutoSave(autoSave);
    config->Loaded();
    return config;
  }
};

TEST(ConfigDataFileTest, ReadingTrimsDropsCommentsAndKeepsBareLines) {
  TConfigDataFile data;
  data.LoadFromText(u"orphan=1\r\n  [ General ]  \n; a comment\r  Key  =  some value  \n\n"
                    u"bare line\r\nEmpty=\n[Other]\nx=1=2");
  EXPECT_EQ(data.ReadString(u"General", u"Key", QString()), QStringLiteral("some value"));
  EXPECT_EQ(data.ReadString(u"Other", u"x", QString()), QStringLiteral("1=2"));
  EXPECT_EQ(data.ReadString(u"General", u"Empty", QStringLiteral("d")), QString());
  EXPECT_EQ(data.ReadString(u"General", u"bare line", QStringLiteral("d")), QStringLiteral("d"));
  EXPECT_EQ(data.ReadString(u"General", u"orphan", QStringLiteral("d")), QStringLiteral("d"));
  EXPECT_EQ(data.ToText(), QStringLiteral("[General]\r\nKey=some value\r\nbare line\r\nEmpty=\r\n\r\n"
                                          "[Other]\r\nx=1=2\r\n\r\n"));
}

TEST(ConfigDataFileTest, NamesMatchWithoutRegardToCaseAndWritingTakesTheNewSpelling) {
  TConfigDataFile data;
  data.LoadFromText(u"[general]\nwindowposition=AA\nПоиск=1\nwindowPosition=BB\n");
  EXPECT_EQ(data.ReadString(u"General", u"WindowPosition", QString()), QStringLiteral("AA"));
  EXPECT_EQ(data.ReadString(u"GENERAL", u"поиск", QString()), QStringLiteral("1"));
  data.WriteString(General, QStringLiteral("WindowPosition"), QStringLiteral("CC"));
  EXPECT_EQ(data.ReadSection(u"General"),
            (QStringList{"WindowPosition=CC", "Поиск=1", "windowPosition=BB"}));
  data.WriteString(QStringLiteral("New"), QStringLiteral("a"), QStringLiteral("b"));
  EXPECT_EQ(data.SectionList().back().Name, QStringLiteral("New"));
}

TEST(ConfigDataFileTest, DuplicateSectionsAreBothKeptAndTheFirstIsFound) {
  TConfigDataFile data;
  data.LoadFromText(u"[General]\nA=1\n[Other]\n[general]\nA=2\nB=3\n");
  EXPECT_EQ(data.ReadString(u"General", u"A", QString()), QStringLiteral("1"));
  EXPECT_EQ(data.ReadString(u"General", u"B", QStringLiteral("none")), QStringLiteral("none"));
  data.WriteString(General, QStringLiteral("B"), QStringLiteral("4"));
  EXPECT_EQ(data.ToText(u"\n"),
            QStringLiteral("[General]\nA=1\nB=4\n\n[Other]\n\n[general]\nA=2\nB=3\n\n"));
  TConfigDataFile again;
  again.LoadFromText(data.ToText());
  EXPECT_EQ(again.ToText(), data.ToText());
}

// A value holding a line break would otherwise become a line of its own when read back, able to
// start a section or set another key.
TEST(ConfigDataFileTest, LineBreaksInAWrittenValueCannotMakeNewLines) {
  TConfigDataFile data;
  data.WriteString(General, QStringLiteral("RecentFileName"),
                   QStringLiteral("/tmp/a\n[General]\r\nWindowPosition=00"));
  TConfigDataFile again;
  again.LoadFromText(data.ToText());
  EXPECT_EQ(again.ReadSection(u"General"),
            QStringList{"RecentFileName=/tmp/a [General]  WindowPosition=00"});
}

TEST_F(ConfigFileTest, MissingFileGivesEveryDefault) {
  auto config = Make();
  EXPECT_TRUE(config->ReadBool(General, QStringLiteral("ShowWelcomeScreenAtStartup"), true));
  EXPECT_FALSE(config->ReadBool(General, QStringLiteral("PreviewNewProject"), false));
  EXPECT_EQ(config->ReadString(General, QStringLiteral("RecentFileName"), QString()), QString());
  TWindowPlacement placement;
  placement.Left = 7;
  EXPECT_FALSE(config->ReadPlacement(General, QStringLiteral("WindowPosition"), placement));
  EXPECT_EQ(placement.Left, 7);
}

TEST_F(ConfigFileTest, BooleansReadAnyIntegerAndOtherwiseTheDefault) {
  WriteFile("[General]\nT=true\nTwo=2\nHex=0x1\nDollar=$A\nZero=0\nMinus=-1\nBare0x=0x\n"
            "HexZero=0X0\nHuge=99999999999\nMaxHex=$FFFFFFFF\nEmpty=\n");
  auto config = Make();
  auto read = [&](const char* key, bool defaultValue) {
    return config->ReadBool(General, QString::fromLatin1(key), defaultValue);
  };
  EXPECT_TRUE(read("T", true));
  EXPECT_FALSE(read("T", false));
  EXPECT_TRUE(read("Two", false));
  EXPECT_TRUE(read("Hex", false));
  EXPECT_TRUE(read("Dollar", false));
  EXPECT_FALSE(read("Zero", true));
  EXPECT_TRUE(read("Minus", false));
  EXPECT_TRUE(read("Bare0x", true));
  EXPECT_FALSE(read("HexZero", true));
  EXPECT_FALSE(read("Huge", false));
  EXPECT_TRUE(read("MaxHex", false));
  EXPECT_TRUE(read("Empty", true));
  config->WriteBool(General, QStringLiteral("Two"), false);
  config->WriteBool(General, QStringLiteral("Zero"), true);
  EXPECT_EQ(config->ReadString(General, QStringLiteral("Two"), QString()), QStringLiteral("0"));
  EXPECT_EQ(config->ReadString(General, QStringLiteral("Zero"), QString()), QStringLiteral("1"));
}

TEST_F(ConfigFileTest, PlacementValuesOf87And89CharactersAndBadDigits) {
  TWindowPlacement stored;
  stored.ShowCmd = TWindowPlacement::ShowMaximized;
  stored.Left = -20;
  stored.Top = 30;
  stored.Right = 1044;
  stored.Bottom = 798;
  const QString hex = QString::fromLatin1(stored.ToBytes().toHex().toUpper());
  ASSERT_EQ(hex.size(), 88);
  EXPECT_TRUE(hex.startsWith(QStringLiteral("2C00000000000000030000")));
  WriteFile(("[General]\nP87=" + hex.left(87) + "\nP88=" + hex.toLower() + "\nP89=" + hex + "Z" +
             "\nBad=" + hex.left(86) + "G0\n").toLatin1());
  auto config = Make();
  TWindowPlacement read;
  EXPECT_FALSE(config->ReadPlacement(General, QStringLiteral("P87"), read));
  EXPECT_FALSE(config->ReadPlacement(General, QStringLiteral("Bad"), read));
  EXPECT_EQ(read, TWindowPlacement());
  EXPECT_TRUE(config->ReadPlacement(General, QStringLiteral("P88"), read));
  EXPECT_EQ(read, stored);
  read = TWindowPlacement();
  EXPECT_TRUE(config->ReadPlacement(General, QStringLiteral("P89"), read));
  EXPECT_EQ(read, stored);

  config->WritePlacement(General, QStringLiteral("P87"), stored);
  EXPECT_EQ(config->ReadString(General, QStringLiteral("P87"), QString()), hex);
}

TEST_F(ConfigFileTest, EscapedTexts) {
  auto config = Make();
  config->WriteEscapedString(General, QStringLiteral("E"), QStringLiteral("\\\r\n"));
  EXPECT_EQ(config->ReadString(General, QStringLiteral("E"), QString()), QStringLiteral("\\\\\\r\\n"));
  EXPECT_EQ(config->ReadEscapedString(General, QStringLiteral("E"), QString()), QStringLiteral("\\\r\n"));
  config->WriteString(General, QStringLiteral("T"), QStringLiteral("a\\tb\\"));
  EXPECT_EQ(config->ReadEscapedString(General, QStringLiteral("T"), QString()), QStringLiteral("a\\tb\\"));

  config->WriteEscapedString(General, QStringLiteral("SearchTextHistory"),
                             QStringLiteral("first\r\nsecond\r\n"));
  EXPECT_EQ(config->ReadString(General, QStringLiteral("SearchTextHistory"), QString()),
            QStringLiteral("first\\r\\nsecond\\r\\n"));
}

TEST_F(ConfigFileTest, SearchHistoryWithBackslashesAndLineBreaksSurvivesARestart) {
  const QString history = QStringLiteral("C:\\Sites\\[a-z]+\\n\r\nпоиск\\\r\n\\\\server\r\n");
  {
    auto config = Make(true);
    config->WriteEscapedString(General, QStringLiteral("SearchTextHistory"), history);
    config->WriteString(General, QStringLiteral("SearchText"), QStringLiteral("поиск"));
  }
  auto config = Make();
  EXPECT_EQ(config->ReadEscapedString(General, QStringLiteral("SearchTextHistory"), QString()), history);
  EXPECT_EQ(config->ReadString(General, QStringLiteral("SearchText"), QString()), QStringLiteral("поиск"));
}

TEST_F(ConfigFileTest, NothingReachesTheDiskBeforeTheFileIsSaved) {
  WriteFile("[General]\r\n; kept only in memory\r\nA = 1\r\n");
  auto config = Make(true);
  config->WriteString(General, QStringLiteral("B"), QStringLiteral("2"));
  EXPECT_EQ(ReadFile(), QByteArray("[General]\r\n; kept only in memory\r\nA = 1\r\n"));
  config.reset();
  EXPECT_EQ(ReadFile(), QByteArray("[General]\r\nA=1\r\nB=2\r\n\r\n"));
}

// Folder names and search texts in any script must come back as they were; a file written by an
// older version in the code page reads as it did.
TEST_F(ConfigFileTest, SaveCreatesTheFolderWritesUtf8AndOlderFilesStillRead) {
  const QString folder = QStringLiteral("/home/u/项目/Café");
  const QString history = QStringLiteral("Мой сайт ☺\r\n项目\r\n");
  {
    auto config = Make();
    config->WriteString(General, QStringLiteral("RecentFileName"), folder);
    config->WriteEscapedString(General, QStringLiteral("SearchTextHistory"), history);
    EXPECT_FALSE(QFileInfo::exists(FilePath()));
    config->Save();
    EXPECT_EQ(config->FullPath(), Temp.Path(QStringLiteral("config/")) + QStringLiteral("Inkloom\\config.ini"));
  }
  EXPECT_TRUE(ReadFile().contains("RecentFileName=" + folder.toUtf8() + "\r\n"));
  EXPECT_TRUE(ReadFile().contains("SearchTextHistory=" + QStringLiteral("Мой сайт ☺\\r\\n项目\\r\\n").toUtf8()));
  const struct {
    QByteArray OnDisk;  // empty: the file saved above
    QString Name;
    QString History;
  } cases[] = {{QByteArray(), folder, history},
               {"[General]\r\nRecentFileName=\xCC\xEE\xE9 \xF1\xE0\xE9\xF2\r\nSearchTextHistory=\xEF\xEE\\r\\n\r\n",
                QStringLiteral("Мой сайт"), QStringLiteral("по\r\n")},
               {"[General]\nRecentFileName=/sites/plain\n", QStringLiteral("/sites/plain"), QString()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name.toStdString());
    if (!c.OnDisk.isEmpty()) WriteFile(c.OnDisk);
    auto config = Make();
    EXPECT_EQ(config->ReadString(General, QStringLiteral("RecentFileName"), QString()), c.Name);
    EXPECT_EQ(config->ReadEscapedString(General, QStringLiteral("SearchTextHistory"), QString()), c.History);
  }
}

TEST_F(ConfigFileTest, TheFileCanNameItsCodePage) {
  WriteFile("[General]\nCodePage=koi8-r\nName=\xED\xC1\xCA\n");
  auto config = Make();
  EXPECT_EQ(config->ReadString(General, QStringLiteral("Name"), QString()), QStringLiteral("Май"));
  EXPECT_EQ(TCodePage::Name(), "koi8-r");
  ASSERT_TRUE(TCodePage::SetCodePage("windows-1251"));
}

TEST_F(ConfigFileTest, LoadAndSaveRaiseTheirEvents) {
  auto config = Make();
  QStringList seen;
  QObject::connect(config.get(), &TConfigFile::OnLoad, [&](TConfigFile* sender) {
    seen << QStringLiteral("load");
    EXPECT_EQ(sender, config.get());
  });
  QObject::connect(config.get(), &TConfigFile::OnSave, [&](TConfigFile* sender) {
    seen << QStringLiteral("save");
    sender->WriteBool(General, QStringLiteral("SearchRegex"), true);
  });
  config->Save();
  config->Load();
  EXPECT_EQ(seen, (QStringList{"save", "load"}));
  EXPECT_TRUE(config->ReadBool(General, QStringLiteral("SearchRegex"), false));
}

// A settings file that cannot be read must not keep the program from starting, and must not be
// replaced by the defaults of that run.
TEST_F(ConfigFileTest, AFileThatCannotBeReadIsReportedAndLeftAlone) {
  QDir().mkpath(FilePath());
  auto config = std::make_unique<TConfigFile>();
  config->SetFileName(QStringLiteral("Inkloom\\config.ini"));
  config->SetLocation(cflCommonAppData);
  EXPECT_THROW(config->Load(), EInkloomError);
  config->SetAutoLoad(true);
  config->SetAutoSave(true);
  config->Loaded();
  config->WriteString(General, QStringLiteral("A"), QStringLiteral("1"));
  config.reset();
  EXPECT_TRUE(QFileInfo(FilePath()).isDir());
}

TEST_F(ConfigFileTest, AFileThatCannotBeWrittenThrowsOnSaveAndOnlyReportsAtShutDown) {
  Temp.Write(QStringLiteral("config/Inkloom"), "a file where the folder belongs");
  auto config = Make(true);
  config->WriteString(General, QStringLiteral("A"), QStringLiteral("1"));
  EXPECT_THROW(config->Save(), EInkloomError);
  EXPECT_NO_THROW(config.reset());
  EXPECT_EQ(Temp.Read(QStringLiteral("config/Inkloom")), QByteArray("a file where the folder belongs"));
}

}  // namespace
