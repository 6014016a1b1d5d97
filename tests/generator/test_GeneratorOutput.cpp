// Where the generator writes and what it reports afterwards: the output folder, the files it
// lists, pages whose substitution is off, pages in an 8-bit charset, and the warnings callers
// read after a generation.

#include "QtPrinters.h"
#include "TestSite.h"

#include "generator/Generator.h"
#include "project/CodePage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <utility>
#include <vector>

namespace {

QString Clean(const std::string& path) {
  return QDir::cleanPath(FileSystemPath(path));
}

// Writes only below its project folder, as the fuzz target does: a fault that moved the output
// folder elsewhere (the file-system root) writes nothing on the machine and is counted.
class TFencedGenerator : public THTMLGenerator {
 public:
  explicit TFencedGenerator(const QString& folder) : Folder(QDir::cleanPath(folder) + '/') {
    SetProjectFolder(Folder.toStdString());
  }
  int Refused = 0;

 protected:
  void WritePage(const std::string& name, const std::string& body) override {
    if (Inside()) THTMLGenerator::WritePage(name, body);
  }
  void CopyThemeResources() override {
    if (Inside()) THTMLGenerator::CopyThemeResources();
  }

 private:
  QString Folder;

  bool Inside() {
    bool inside = (Clean(GetOutputFolder()) + '/').startsWith(Folder);
    Refused += inside ? 0 : 1;
    return inside;
  }
};

}  // namespace

// --- The output folder ----------------------------------------------------------------------

TEST(GeneratorOutputFolder, ABlankOutpathMeansTheDefaultFolder) {
  for (const char* outpath :
       {"$outpath\n", "$outpath \n", "$outpath    \n", "$outpath \t \n", "$$outpath \n"}) {
    SCOPED_TRACE(outpath);
    TSite site;
    site.Write(QStringLiteral("template/index.html"), "<img src=\"logo.png\">{content}");
    site.Write(QStringLiteral("template/logo.png"), "L");
    TFencedGenerator generator(site.Folder);
    // Before the first section and inside the page it applies to.
    const std::string text = outpath + std::string("[index.html]\n") + outpath + "Hi\n";
    ASSERT_EQ(generator.Generate(QString::fromStdString(text)), 0);
    EXPECT_EQ(generator.Refused, 0);
    EXPECT_EQ(Clean(generator.GetOutputFolder()),
              QDir(site.Folder).filePath(QStringLiteral("html")));
    EXPECT_EQ(site.Read(QStringLiteral("html/index.html")), "<img src=\"logo.png\">Hi");
    EXPECT_EQ(site.Read(QStringLiteral("html/logo.png")), "L");
  }
}

// Such a page is dropped with a warning at its section.
TEST(GeneratorWrittenFiles, NamesThatLeadOutOfTheOutputFolderAreNotListed) {
  struct TCase {
    const char* Project;
    std::vector<std::string> Written;
    const char* Index;
    std::vector<std::pair<int, std::string>> Warnings;
  };
  const TCase cases[] = {
      {"[..\\up.html]\nX\n[ok.txt]\nY\n", {"ok.txt"}, "ok.txt", {{1, "..\\up.html"}}},
      {"[../../up.html]\nX\n[/root.html]\nR\n[C:\\drive.html]\nD\n",
       {},
       "",
       {{1, "..\\..\\up.html"}, {3, "\\root.html"}, {5, "C:\\drive.html"}}},
      {"[sub\\..\\..\\up.html]\nX\n[sub/../in.html]\nI\n",
       {"sub\\..\\in.html"},
       "sub\\..\\in.html",
       {{1, "sub\\..\\..\\up.html"}}},
      // A resource the theme lacks is listed; one that can never be copied is not.
      {"[a.html]\n<img src=\"../up.png\">\n<img src=\"missing.png\">\n$uses ..\\x.css\n"
       "<img src=\"http://example.com/x.png\">\n",
       {"a.html", "missing.png"},
       "a.html",
       {}},
  };
  TSite site;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project);
    ASSERT_EQ(site.Generate(c.Project), 0);
    EXPECT_EQ(site.Generator.WrittenFiles(), c.Written);
    EXPECT_EQ(site.Generator.GetIndexPage(), c.Index);
    std::vector<std::pair<int, std::string>> warnings;
    for (const TGeneratorWarning& warning : site.Generator.Warnings()) {
      EXPECT_EQ(warning.Kind, TGeneratorWarning::gwPageOutside);
      warnings.emplace_back(warning.Line, warning.Subject);
    }
    EXPECT_EQ(warnings, c.Warnings);
  }
  EXPECT_FALSE(QFileInfo::exists(site.Root.filePath(QStringLiteral("up.html"))));
}

// --- Substitution off -----------------------------------------------------------------------

TEST(GeneratorSubstOff, APageKeepsItsBracesAndStillFillsItsTemplate) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "<title>{title}</title><main>{content}</main>");
  ASSERT_EQ(site.Generate("$title T\n$x X\n"
                          "[layout]\n<div>{&content}|{x}</div>\n"
                          "[page.html]\n$subst off\n{title} and {x} and {&content}\n"
                          "[framed.html]\n$Template layout\n$subst off\n{x}\n"
                          "[part.inc]\n$subst off\n{x}\n"
                          "[next.html]\n{x}\n"),
            0);
  // The page's own braces stay; its template's are substituted. Include files and raw files
  // keep theirs and are not expanded at all.
  EXPECT_EQ(site.Read(QStringLiteral("html/page.html")),
            "<title>T</title><main>{title} and {x} and {&content}</main>");
  EXPECT_EQ(site.Read(QStringLiteral("html/framed.html")), "<div>{x}|X</div>");
  EXPECT_EQ(site.Read(QStringLiteral("html/part.inc")), "{x}\n");
  EXPECT_EQ(site.Read(QStringLiteral("html/next.html")), "<title>T</title><main>X</main>");
}

// --- Pages in an 8-bit charset --------------------------------------------------------------

TEST(PageCharset, ACharacterTheCodePageLacksIsAReferenceInPagesAndAQuestionMarkElsewhere) {
  ASSERT_TRUE(TCodePage::SetCodePage("windows-1251"));
  // Utf8, in other files, in pages; outside the basic plane one character is one reference.
  const char* const cases[][3] = {{"Мир", "\xCC\xE8\xF0", "\xCC\xE8\xF0"},
                                  {"café 中", "caf? ?", "caf&#233; &#20013;"},
                                  {"\xF0\x9D\x84\x9E!", "?!", "&#119070;!"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TCodePage::Utf8ToAnsi(c[0]), c[1]);
    EXPECT_EQ(TCodePage::Utf8ToAnsi(c[0], TCodePage::mcCharacterReference), c[2]);
  }
}

// --- Warnings -------------------------------------------------------------------------------

TEST(GeneratorWarnings, AThemeThatIsNotFoundIsReportedWithItsLine) {
  struct TCase {
    const char* Project;
    std::vector<std::pair<std::string, int>> Warned;  // theme, line
  };
  const TCase cases[] = {
      // No theme "template" beside the project is normal.
      {"[a.html]\nA\n", {}},
      {"$title T\n[a.html]\n$theme  nope \nA\n\n$theme template\n", {{"nope", 3}, {"template", 6}}},
      // The lines of a value: the line where its placeholder stands.
      {"$two $theme x\\n$theme y\n\n{two}\n", {{"x", 3}, {"y", 3}}},
      // Reading stops at an error; what was met before it stays reported.
      {"$theme gone\n[a.html\n$theme later\n", {{"gone", 1}}},
  };
  TSite site;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project);
    site.Generate(c.Project);
    std::vector<std::pair<std::string, int>> warned;
    for (const TGeneratorWarning& warning : site.Generator.Warnings()) {
      EXPECT_EQ(warning.Kind, TGeneratorWarning::gwThemeNotFound);
      warned.emplace_back(warning.Subject, warning.Line);
    }
    EXPECT_EQ(warned, c.Warned);
  }
}
