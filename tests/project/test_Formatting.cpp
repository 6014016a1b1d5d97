#include "project/Formatting.h"

#include <gtest/gtest.h>

TEST(Formatting, HeadingsToggleAndChangeLevel) {
  const struct {
    const char* Line;
    int Level;
    const char* Result;
  } cases[] = {
      {"= Title", 2, "== Title"},     {"== Title", 2, "Title"},       {"==Title", 3, "=== ==Title"},
      {"", 1, "= "},                  {"=== x", 1, "= x"},            {"= x", 1, "x"},
      {"=", 1, "= ="},                {"  = x", 1, "=   = x"},       {"==== x", 3, "=== ==== x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TFormatting::ToggleHeading(QString::fromUtf8(c.Line), c.Level), QString::fromUtf8(c.Result))
        << c.Line << " / " << c.Level;
}

TEST(Formatting, ListMarkersToggleOnTheFirstTwoCharacters) {
  const struct {
    const char* Line;
    char Own;
    const char* Result;
  } cases[] = {
      {"a", '*', "* a"}, {"# b", '*', "* b"}, {"* c", '*', "c"},   {"** x", '*', "* ** x"},
      {"", '#', "# "},   {"* d", '#', "# d"}, {"#e", '#', "# #e"},
  };
  for (const auto& c : cases) {
    const QChar own = QLatin1Char(c.Own), other = QLatin1Char(c.Own == '*' ? '#' : '*');
    EXPECT_EQ(TFormatting::ToggleListMarker(QString::fromUtf8(c.Line), other, own), QString::fromUtf8(c.Result))
        << c.Line;
  }
}

TEST(Formatting, ImagesAreAddressedFromTheGeneratedPages) {
  const QString output = QStringLiteral("/home/me/Site/html/"), theme = QStringLiteral("/home/me/Site/template/");
  const struct {
    const char* File;
    const char* Path;
  } cases[] = {
      {"/home/me/Site/html/img/a.png", "img/a.png"},
      {"/home/me/site/HTML/img/a.png", "img/a.png"},  // letter case aside
      {"/home/me/Site/template/img/portrait.svg", "img/portrait.svg"},  // as the generator copies it
      {"/home/me/Site/pics/b.gif", ""},  // to be copied into the theme first
      {"/elsewhere/c.jpg", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TFormatting::MakeImagePath(QString::fromUtf8(c.File), output, theme), QString::fromUtf8(c.Path));
  EXPECT_EQ(TFormatting::ImageCopyTarget(QStringLiteral("/elsewhere/c.jpg"), theme), theme + QStringLiteral("img/c.jpg"));
  // An untitled project has no folder: only the output folder counts.
  EXPECT_EQ(TFormatting::MakeImagePath(QStringLiteral("/home/me/Site/pics/b.gif"), output, QString()),
            QStringLiteral("/home/me/Site/pics/b.gif"));
  EXPECT_EQ(TFormatting::MakeImagePath(QStringLiteral("D:\\x\\c.jpg"), output, QString()), QStringLiteral("D:/x/c.jpg"));
}
