// Folder themes as the generator uses them: the default template of a theme without index.html,
// resource names that look like wildcard patterns, and a theme that is its own output folder.

#include "QtPrinters.h"
#include "TestSite.h"

#include "generator/HTMLTheme.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>
#include <utility>
#include <vector>

TEST(FolderTheme, TheDefaultTemplateIsTheFirstPageInNameOrderLetterCaseAside) {
  // Made from z to a: the file system lists them in an order of its own.
  std::vector<std::string> many;
  for (char c = 'z'; c >= 'a'; --c) many.push_back(std::string(1, c) + ".htm");
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {many, "a.htm"},
      {{"Zeta.HTM", "alpha.html", "Beta.htm"}, "alpha.html"},
      {{".hidden.html", "page.HTM", "notes.txt"}, "page.HTM"},
      {{"a.htm", "A.htm"}, "A.htm"},
  };
  for (const auto& [files, expected] : cases) {
    SCOPED_TRACE(expected);
    TSite site;
    for (const std::string& file : files)
      site.Write(QStringLiteral("theme/") + QString::fromStdString(file), "{content}");
    THTMLTheme theme;
    ASSERT_TRUE(
        theme.Load(QDir(site.Folder).filePath(QStringLiteral("theme")).toStdString(), ".ikltheme"));
    EXPECT_EQ(theme.DefaultTemplate(), expected);
  }
}

TEST(FolderTheme, ResourceNamesWithBracketsMatchOnlyThemselves) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "{content}");
  site.Write(QStringLiteral("template/photo[1].png"), "right");
  site.Write(QStringLiteral("template/photo1.png"), "decoy");
  ASSERT_EQ(site.Generate("[index.html]\n<img src=\"photo[1].png\">\n"), 0);
  EXPECT_EQ(site.Read(QStringLiteral("html/photo[1].png")), "right");
  EXPECT_FALSE(site.Exists(QStringLiteral("html/photo1.png")));
}

TEST(FolderTheme, AThemeThatIsItsOwnOutputFolderKeepsItsFiles) {
  // "look" is a symbolic link to the theme folder: the same folder under another name.
  for (const char* outpath : {"template", "./template\\", "look"}) {
    SCOPED_TRACE(outpath);
    TSite site;
    site.Write(QStringLiteral("template/index.html"),
               "<link rel=\"stylesheet\" href=\"css/site.css\">{content}");
    site.Write(QStringLiteral("template/css/site.css"), "p { background: url(../img/bg.png) }");
    site.Write(QStringLiteral("template/img/bg.png"), "bg");
    ASSERT_TRUE(QFile::link(QDir(site.Folder).filePath(QStringLiteral("template")),
                            QDir(site.Folder).filePath(QStringLiteral("look"))));
    ASSERT_EQ(site.Generate("$outpath " + std::string(outpath) + "\n$uses img\n[page.html]\nHi\n"),
              0);
    EXPECT_EQ(site.Read(QStringLiteral("template/page.html")),
              "<link rel=\"stylesheet\" href=\"css/site.css\">Hi");
    EXPECT_EQ(site.Read(QStringLiteral("template/css/site.css")),
              "p { background: url(../img/bg.png) }");
    EXPECT_EQ(site.Read(QStringLiteral("template/img/bg.png")), "bg");
  }
}
