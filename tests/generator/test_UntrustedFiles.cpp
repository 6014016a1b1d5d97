// Projects and themes may come from someone else: writing output never follows a link out of
// the output folder, and a theme gives only the files that really lie inside it.

#include "TestSite.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using TLinks = std::vector<std::pair<const char*, const char*>>;  // link -> target, below the project

void MakeLinks(const TSite& site, const TLinks& links) {
  for (const auto& [link, target] : links) {
    const QString path = QDir(site.Folder).filePath(QString::fromUtf8(link));
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_EQ(::symlink(target, QFile::encodeName(path).constData()), 0) << link;
  }
}

std::vector<std::string> WarningSubjects(const THTMLGenerator& generator, TGeneratorWarning::TKind kind) {
  std::vector<std::string> subjects;
  for (const TGeneratorWarning& warning : generator.Warnings())
    if (warning.Kind == kind) subjects.push_back(warning.Subject);
  return subjects;
}

}  // namespace

// Links in the output folder: one standing where a file goes is replaced by the file; a folder
// link leading out is refused at the page or the directive that named the file.
TEST(UntrustedOutput, WritingNeverFollowsALinkOutOfTheOutputFolder) {
  struct TCase {
    TLinks Links;
    const char* Project;
    int Result;
    int Line;
    const char* RegularFile;  // below html, made in place of a link
  };
  const TCase cases[] = {
      {{{"html/index.html", "../outside/target.txt"}}, "[index.html]\nA\n", 0, 0, "index.html"},
      {{{"html/index.html", "../outside/new.txt"}}, "[index.html]\nA\n", 0, 0, "index.html"},
      {{{"html/.inkloom-written", "../outside/target.txt"}}, "[index.html]\nA\n", 0, 0, ".inkloom-written"},
      {{{"html/docs", "../outside"}}, "[a.html]\nA\n[docs/x.html]\nX\n", THTMLGenerator::geCannotWrite, 3, "a.html"},
      {{{"html/docs", "../outside/gone"}}, "[docs/x.html]\nX\n", THTMLGenerator::geCannotWrite, 1, nullptr},
      {{{"html/docs", "sub"}}, "[docs/x.html]\nX\n", 0, 0, "sub/x.html"},  // inside: allowed
      {{{"html/style.css", "../outside/target.txt"}}, "[index.html]\n<link href=\"style.css\">\n", 0, 0, "style.css"},
      {{{"html/img", "../outside"}}, "[index.html]\nA\n\n$uses img\n", THTMLGenerator::geCannotWrite, 4, "index.html"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project);
    TSite site;
    site.Write(QStringLiteral("outside/target.txt"), "keep");
    site.Write(QStringLiteral("template/style.css"), "css");
    site.Write(QStringLiteral("template/img/bg.png"), "bg");
    QDir().mkpath(QDir(site.Folder).filePath(QStringLiteral("html/sub")));
    MakeLinks(site, c.Links);
    EXPECT_EQ(site.Generate(c.Project), c.Result);
    if (c.Result) EXPECT_EQ(site.Generator.ErrorLine(), c.Line);
    EXPECT_EQ(QDir(QDir(site.Folder).filePath(QStringLiteral("outside"))).entryList(QDir::Files),
              QStringList{QStringLiteral("target.txt")});
    EXPECT_EQ(site.Read(QStringLiteral("outside/target.txt")), "keep");
    if (!c.RegularFile) continue;
    const QFileInfo written(QDir(site.Folder).filePath(QStringLiteral("html/")) + c.RegularFile);
    EXPECT_TRUE(written.isFile() && !written.isSymLink()) << c.RegularFile;
  }
  // A file with a second name elsewhere is made anew: the other name keeps its bytes.
  TSite site;
  site.Write(QStringLiteral("outside/target.txt"), "keep");
  QDir().mkpath(QDir(site.Folder).filePath(QStringLiteral("html")));
  ASSERT_EQ(::link(QFile::encodeName(QDir(site.Folder).filePath(QStringLiteral("outside/target.txt"))).constData(),
                   QFile::encodeName(QDir(site.Folder).filePath(QStringLiteral("html/index.html"))).constData()), 0);
  EXPECT_EQ(site.Generate("[index.html]\nA\n"), 0);
  EXPECT_EQ(site.Read(QStringLiteral("outside/target.txt")), "keep");
  EXPECT_EQ(site.Read(QStringLiteral("html/index.html")), "A\n");
}

// A theme's links that lead out of it give nothing and are reported; links inside it serve; a
// theme whose links loop is copied once; a name holding "\" is never copied.
TEST(UntrustedTheme, OnlyFilesReallyInsideTheThemeAreReadOrCopied) {
  struct TCase {
    TLinks Links;
    const char* Project;
    std::vector<std::string> Skipped;  // links reported
    std::vector<std::string> Named;    // names with "\" reported
    const char* Absent;                // below html
    const char* Present;               // below html
  };
  const char* backslashed = "x\\..\\..\\..\\secret\\id_rsa";
  const TCase cases[] = {
      {{{"template/style.css", "../secret/id_rsa"}}, "[index.html]\n<link href=\"style.css\">\n", {"style.css"}, {},
       "style.css", "index.html"},
      {{{"template/assets", "../secret"}}, "$uses assets\n[index.html]\nA\n", {"assets"}, {}, "assets", "index.html"},
      {{{"template/assets", "../secret"}}, "$uses assets/*\n[index.html]\nA\n", {"assets"}, {}, "id_rsa", "index.html"},
      {{{"template/evil.html", "../secret/id_rsa"}}, "[index.html]\n$Template evil\nA\n", {}, {}, "evil.html", "index.html"},
      {{{"template/a", "."}, {"template/b", "."}}, "$uses *\n[index.html]\nA\n", {}, {backslashed}, "a", "page.css"},
      {{{"template/own.css", "real/page.css"}}, "$uses own.css\n[index.html]\nA\n", {}, {}, "real", "own.css"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project);
    TSite site;
    site.Write(QStringLiteral("secret/id_rsa"), "KEY");
    site.Write(QStringLiteral("template/real/page.css"), "p{}");
    site.Write(QStringLiteral("template/page.css"), "p{}");
    site.Write(QStringLiteral("template/") + QString::fromUtf8(backslashed), "KEY");
    MakeLinks(site, c.Links);
    ASSERT_EQ(site.Generate(c.Project), 0);
    EXPECT_EQ(WarningSubjects(site.Generator, TGeneratorWarning::gwThemeLinkSkipped), c.Skipped);
    EXPECT_EQ(WarningSubjects(site.Generator, TGeneratorWarning::gwThemeNameSkipped), c.Named);
    EXPECT_FALSE(QFileInfo::exists(QDir(site.Folder).filePath(QStringLiteral("html/")) + c.Absent));
    EXPECT_TRUE(site.Exists(QStringLiteral("html/") + c.Present));
    EXPECT_EQ(site.Read(QStringLiteral("html/index.html")).find("KEY"), std::string::npos);
    const QStringList files = QDir(QDir(site.Folder).filePath(QStringLiteral("html"))).entryList(QDir::Files);
    EXPECT_FALSE(files.contains(QString::fromUtf8(backslashed)));
  }
}

// A folder theme copied whole (a new project's "template") takes only what lies inside it.
TEST(UntrustedTheme, ACopiedThemeHoldsOnlyItsOwnFiles) {
  TSite site;
  site.Write(QStringLiteral("secret/id_rsa"), "KEY");
  site.Write(QStringLiteral("theme/index.html"), "{content}");
  site.Write(QStringLiteral("theme/.htaccess"), "deny");
  site.Write(QStringLiteral("theme/img/a.png"), "png");
  MakeLinks(site, {{"theme/style.css", "../secret/id_rsa"}, {"theme/img/loop", ".."}});
  THTMLTheme theme;
  ASSERT_TRUE(theme.Load(QDir(site.Folder).filePath(QStringLiteral("theme")).toStdString(), ".ikltheme"));
  theme.ExtractTo(QDir(site.Folder).filePath(QStringLiteral("copy/")).toStdString());
  for (const char* kept : {"copy/index.html", "copy/.htaccess", "copy/img/a.png"})
    EXPECT_TRUE(site.Exists(QString::fromLatin1(kept))) << kept;
  EXPECT_FALSE(QFileInfo::exists(QDir(site.Folder).filePath(QStringLiteral("copy/style.css"))));
  EXPECT_FALSE(QFileInfo::exists(QDir(site.Folder).filePath(QStringLiteral("copy/img/loop"))));
}
