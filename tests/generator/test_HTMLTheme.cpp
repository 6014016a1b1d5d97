// Folder themes as the generator uses them: the default template of a theme without index.html,
// resource names that look like wildcard patterns, and a theme that is its own output folder.

#include "QtPrinters.h"
#include "TestSite.h"

#include "generator/HTMLTheme.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>
#include <vector>

TEST(FolderTheme, TheDefaultTemplateIsTheFirstPageInNameOrderLetterCaseAside) {
  struct TCase {
    std::vector<std::string> Files;  // in the order they are made
    const char* Default;
  };
  std::vector<std::string> many;
  for (char c = 'z'; c >= 'a'; --c) many.push_back(std::string(1, c) + ".htm");
  const TCase cases[] = {
      {{"b.htm", "C.html", "a.html"}, "a.html"},
      {{"Zeta.HTM", "alpha.html", "Beta.htm"}, "alpha.html"},
      {many, "a.htm"},
      {{".hidden.html", "page.HTM", "notes.txt"}, "page.HTM"},
      {{"a.htm", "A.htm"}, "A.htm"},
      {{"x.html", "index.html"}, "index.html"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Default);
    TSite site;
    for (const std::string& file : c.Files)
      site.Write(QStringLiteral("theme/") + QString::fromStdString(file), "{content}");
    THTMLTheme theme;
    ASSERT_TRUE(
        theme.Load(QDir(site.Folder).filePath(QStringLiteral("theme")).toStdString(), ".ikltheme"));
    EXPECT_EQ(theme.DefaultTemplate(), c.Default);
  }
}

// --- The files a generation lists ------------------------------------------------------------

TEST(FolderTheme, ResourceNamesWithBracketsMatchOnlyThemselves) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "{content}");
  site.Write(QStringLiteral("template/photo[1].png"), "right");
  site.Write(QStringLiteral("template/photo1.png"), "decoy");
  site.Write(QStringLiteral("template/img/Pic[a-z].GIF"), "right too");
  site.Write(QStringLiteral("template/img/picb.gif"), "decoy too");
  ASSERT_EQ(
      site.Generate("[index.html]\n<img src=\"photo[1].png\">\n<img src=\"img/pic[A-Z].gif\">\n"),
      0);
  EXPECT_EQ(site.Read(QStringLiteral("html/photo[1].png")), "right");
  EXPECT_EQ(site.Read(QStringLiteral("html/img/Pic[a-z].GIF")), "right too");
  EXPECT_FALSE(site.Exists(QStringLiteral("html/photo1.png")));
  EXPECT_FALSE(site.Exists(QStringLiteral("html/img/picb.gif")));
}

TEST(FolderTheme, AThemeThatIsItsOwnOutputFolderKeepsItsFiles) {
  // "look" is a symbolic link to the theme folder: the same folder under another name.
  for (const char* outpath : {"template", "template\\", "./template", "look", "look/"}) {
    SCOPED_TRACE(outpath);
    TSite site;
    site.Write(
        QStringLiteral("template/index.html"),
        "<link rel=\"stylesheet\" href=\"css/site.css\"><img src=\"img/logo.png\">{content}");
    site.Write(QStringLiteral("template/css/site.css"), "body { background: url(../img/bg.png) }");
    site.Write(QStringLiteral("template/img/logo.png"), "logo");
    site.Write(QStringLiteral("template/img/bg.png"), "bg");
    site.Write(QStringLiteral("template/fonts/a.woff"), "font");
    ASSERT_TRUE(QFile::link(QDir(site.Folder).filePath(QStringLiteral("template")),
                            QDir(site.Folder).filePath(QStringLiteral("look"))));
    ASSERT_EQ(site.Generate("$outpath " + std::string(outpath) +
                            "\n$uses img\\*.png\n$uses fonts\n[page.html]\nHi\n"),
              0);
    EXPECT_EQ(site.Read(QStringLiteral("template/page.html")),
              "<link rel=\"stylesheet\" href=\"css/site.css\"><img src=\"img/logo.png\">Hi");
    EXPECT_EQ(site.Read(QStringLiteral("template/css/site.css")),
              "body { background: url(../img/bg.png) }");
    EXPECT_EQ(site.Read(QStringLiteral("template/img/logo.png")), "logo");
    EXPECT_EQ(site.Read(QStringLiteral("template/img/bg.png")), "bg");
    EXPECT_EQ(site.Read(QStringLiteral("template/fonts/a.woff")), "font");
    EXPECT_EQ(site.Read(QStringLiteral("template/index.html")).substr(0, 5), "<link");
  }
}

// --- Theme resources ------------------------------------------------------------------------
