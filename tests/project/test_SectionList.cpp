#include "project/SectionList.h"

#include <gtest/gtest.h>

namespace {

QStringList Lines(const char* text) { return QString::fromUtf8(text).split(u'\n'); }

struct TExpected {
  const char* Caption;
  TSectionIcon Icon;
  int Line;
};

void ExpectEntries(const std::vector<TSectionEntry>& entries, std::vector<TExpected> expected) {
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].Caption, QString::fromUtf8(expected[i].Caption)) << i;
    EXPECT_EQ(entries[i].Icon, expected[i].Icon) << i;
    EXPECT_EQ(entries[i].Line, expected[i].Line) << i;
  }
}

}  // namespace

TEST(SectionList, ProjectEntryFirstThenSectionsWithTheirTitles) {
  ExpectEntries(TSectionList::Build(Lines(""), QStringLiteral("Project")),
                {{"Project", siProject, 0}});
  ExpectEntries(
      TSectionList::Build(Lines("$TITLE Start\n[index.html]\n$title Home\n\t[images]  \n"
                                "  [about.html]  \n$title A\n$Title B\n[]\n[x]y\n[menu]"),
                          QStringLiteral("Project")),
      {{"Project (Start)", siProject, 0},
       {"index.html (Home)", siPage, 2},
       {"images", siSection, 4},
       {"about.html (B)", siPage, 5},
       {"menu", siSection, 10}});
}

TEST(SectionList, TitleLinesNeedTheirSpace) {
  ExpectEntries(TSectionList::Build(Lines("[a.html]\n$titleX\n$title\n$subtitle x"),
                                    QStringLiteral("Проект")),
                {{"Проект", siProject, 0}, {"a.html", siPage, 1}});
}

TEST(SectionList, CaretPageIsTheNearestSectionAboveOrTheIndexPage) {
  QStringList lines = Lines("$title x\n[about.html]\ntext\n  [images]  \nmore\n[]\nlast");
  const QString index = QStringLiteral("index.html");
  EXPECT_EQ(TSectionList::CaretPage(lines, 0, index), index);
  EXPECT_EQ(TSectionList::CaretPage(lines, 1, index), QStringLiteral("about.html"));
  EXPECT_EQ(TSectionList::CaretPage(lines, 2, index), QStringLiteral("about.html"));
  EXPECT_EQ(TSectionList::CaretPage(lines, 4, index), index);
  EXPECT_EQ(TSectionList::CaretPage(lines, 6, index), index);  // "[]" starts a section
  EXPECT_EQ(TSectionList::CaretPage(lines, 99, index), index);
  EXPECT_EQ(TSectionList::CaretPage(QStringList(), 0, index), index);
}

TEST(SectionList, ProjectNameDropsFolderAndExtension) {
  const QString untitled = QStringLiteral("Untitled");
  EXPECT_EQ(TSectionList::ProjectName(QStringLiteral("C:\\Sites\\shop.iklproj"), untitled),
            QStringLiteral("shop"));
  EXPECT_EQ(TSectionList::ProjectName(QStringLiteral("/home/u/my.site.iklproj"), untitled),
            QStringLiteral("my.site"));
  EXPECT_EQ(TSectionList::ProjectName(QStringLiteral("/home/u/.iklproj"), untitled), untitled);
  EXPECT_EQ(TSectionList::ProjectName(QString(), untitled), untitled);
  EXPECT_EQ(TSectionList::ProjectName(QStringLiteral("/home/u/plain"), untitled),
            QStringLiteral("plain"));
}
