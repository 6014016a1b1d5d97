// The pieces of find and replace that need no window: UTF-8 positions as the editor counts them,
// the histories, the settings in config.ini and where the replace question goes.

#include "project/MatchPlacement.h"
#include "project/SearchHistory.h"
#include "project/SearchSettings.h"
#include "project/Utf8Positions.h"
#include "services/ConfigFile.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(Utf8Positions, IndexesAndBytesBothWaysInAnyOrder) {
  const QString text = QStringLiteral("aж€\U0001F600b");
  const qsizetype bytes[] = {0, 1, 3, 6, 6, 10, 11};  // index 4 is inside the surrogate pair
  TUtf8Positions positions(text);
  for (qsizetype index : {6, 0, 3, 5, 1, 2, 6})
    if (index != 4) EXPECT_EQ(positions.ToByte(index), bytes[index]) << index;
  for (qsizetype index : {5, 0, 6, 1, 3})
    EXPECT_EQ(positions.ToIndex(bytes[index]), index) << index;
  EXPECT_EQ(positions.ToIndex(2), 2);  // inside "ж": the character after it
  EXPECT_EQ(TUtf8Positions(text, 3, 6).ToByte(6), 11);
}

TEST(SearchHistory, NewestFirstAtMostTenCaseInsensitivelyOnce) {
  struct TCase {
    QStringList Entries;
    const char* Text;
    QStringList Expected;
  };
  const TCase cases[] = {
      {{}, "a", {"a"}},
      {{"b", "a"}, "A", {"A", "b"}},
      {{"b", "a"}, "", {"b", "a"}},
      {{"x", "Добро"}, "ДОБРО", {"ДОБРО", "x"}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TSearchHistory::Add(c.Entries, QString::fromUtf8(c.Text)), c.Expected) << c.Text;
  QStringList many;
  for (int i = 0; i < 12; ++i) many = TSearchHistory::Add(many, QString::number(i));
  EXPECT_EQ(TSearchHistory::Entries(TSearchHistory::Text(many)),
            (QStringList{"11", "10", "9", "8", "7", "6", "5", "4", "3", "2"}));
  EXPECT_EQ(TSearchHistory::Text({"a\\b\nc", "d"}), QStringLiteral("a\\b\nc\r\nd\r\n"));
  EXPECT_EQ(TSearchHistory::Entries(QStringLiteral("a\\b\nc\r\nd\r\n")), (QStringList{"a\\b\nc", "d"}));
}

TEST(SearchSettings, ElevenKeysWithEscapedTexts) {
  TSearchSettings settings;
  settings.SearchBackwards = settings.SearchRegex = settings.SearchFromCaretNow = true;
  settings.SearchText = QStringLiteral("C:\\dir\nnext");
  settings.SearchTextHistory = QStringLiteral("a\r\nb\\\r\n");
  TConfigFile file;
  settings.Save(file);
  EXPECT_EQ(QString::fromLatin1(file.SaveToBytes()),
            QStringLiteral("[General]\r\nSearchBackwards=1\r\nSearchCaseSensitive=0\r\nSearchFromCaret=0\r\n"
                           "SearchSelectionOnly=0\r\nSearchTextAtCaret=0\r\nSearchWholeWords=0\r\nSearchRegex=1\r\n"
                           "SearchText=C:\\\\dir\\nnext\r\nSearchTextHistory=a\\r\\nb\\\\\\r\\n\r\n"
                           "ReplaceText=\r\nReplaceTextHistory=\r\n\r\n"));
  file.LoadFromBytes("[General]\r\nSearchRegex=0x1\r\nSearchText=C:\\\\dir\\nnext\r\nReplaceText=$1\\t\r\n");
  settings.Load(file);
  EXPECT_TRUE(settings.SearchRegex && !settings.SearchBackwards && settings.SearchFromCaretNow);
  EXPECT_EQ(settings.SearchText, QStringLiteral("C:\\dir\nnext"));
  EXPECT_TRUE(settings.SearchTextHistory.isEmpty());
  EXPECT_EQ(settings.ReplaceText, QStringLiteral("$1\\t"));  // an unknown escape stays as written
}

TEST(MatchPlacement, BesideTheMatchInsideTheArea) {
  const QRect area(100, 50, 600, 300);  // two thirds down: y 250
  const QSize dialog(200, 80);
  struct TCase {
    QRect Area;
    int X, Top, Bottom;
    QPoint Expected;
  };
  const TCase cases[] = {
      {area, 150, 100, 116, {150, 120}},                 // below the match
      {area, 150, 240, 250, {150, 254}},                 // on the two-thirds line: still below
      {area, 150, 240, 251, {150, 156}},                 // past it: above
      {area, 650, 100, 116, {500, 120}},                 // kept inside on the right
      {QRect(100, 50, 199, 300), 150, 100, 116, {100, 120}},  // an odd difference loses its half
      {QRect(100, 50, 150, 300), 150, 100, 116, {75, 120}},   // centred over a narrow area
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TMatchPlacement::NearMatch(c.Area, dialog, c.X, c.Top, c.Bottom), c.Expected) << c.X << "," << c.Bottom;
}
