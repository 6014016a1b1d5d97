// The generator through its own interface, for what a comparison of output trees does not show
// well: lookups after a generation, the index page, the NOW date, the expansion guards, the parsing
// of placeholders, state that must not outlive a generation, and a damaged theme archive.

#include "TestSite.h"
#include "TestZip.h"
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "generator/Generator.h"
#include "generator/SciZipFile.h"

namespace {

std::string Repeat(std::string_view piece, size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (size_t i = 0; i < count; ++i) out.append(piece);
  return out;
}

// A zip archive of stored entries; crcDelta is added to the CRC-32 recorded for the entry named
// damaged.
std::string StoredArchive(const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::string& damaged) {
  std::string out, directory;
  for (const auto& [name, data] : entries) {
    uint32_t crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()),
                         static_cast<uInt>(data.size()));
    if (name == damaged) crc ^= 0x00010000;
    uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 10);
    Put16(out, 0);
    Put16(out, 0);  // stored
    Put16(out, 0);
    Put16(out, 0x5A21);
    Put32(out, crc);
    Put32(out, static_cast<uint32_t>(data.size()));
    Put32(out, static_cast<uint32_t>(data.size()));
    Put16(out, static_cast<uint32_t>(name.size()));
    Put16(out, 0);
    out += name;
    out += data;

    Put32(directory, 0x02014b50);
    Put16(directory, 10);
    Put16(directory, 10);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0x5A21);
    Put32(directory, crc);
    Put32(directory, static_cast<uint32_t>(data.size()));
    Put32(directory, static_cast<uint32_t>(data.size()));
    Put16(directory, static_cast<uint32_t>(name.size()));
    for (int i = 0; i < 4; ++i) Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += name;
  }
  AppendCentralDirectory(out, directory, entries.size());
  return out;
}

// "Tue, 8 Jan 2008 14:05:09 +0300"
const QRegularExpression kNowPattern(QStringLiteral(
    "^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), ([1-9][0-9]?) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
    "([0-9]{4}) ([0-9]{2}):([0-9]{2}):([0-9]{2}) [+-]([0-9]{2})([0-9]{2})$"));

// Checks the shape of a NOW value and that its parts agree with one another.
void ExpectNowShape(const std::string& now) {
  QRegularExpressionMatch match = kNowPattern.match(QString::fromStdString(now));
  ASSERT_TRUE(match.hasMatch()) << "\"" << now << "\"";
  static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const QStringList months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  QDate date(match.captured(4).toInt(), months.indexOf(match.captured(3)) + 1,
             match.captured(2).toInt());
  ASSERT_TRUE(date.isValid()) << now;
  EXPECT_EQ(days.indexOf(match.captured(1)) + 1, date.dayOfWeek()) << "weekday of " << now;
  EXPECT_LE(match.captured(5).toInt(), 23) << now;
  EXPECT_LE(match.captured(6).toInt(), 59) << now;
  EXPECT_LE(match.captured(7).toInt(), 60) << now;
  EXPECT_LE(match.captured(8).toInt(), 14) << now;
  EXPECT_LE(match.captured(9).toInt(), 59) << now;
}

}  // namespace

// --- Lookups after a generation ------------------------------------------------------------

TEST(GeneratorLookup, SeesGlobalsSectionsFragmentsAndBuiltIns) {
  TSite site;
  ASSERT_EQ(site.Generate("$title Site\n"
                          "[menu]\n"
                          "$label Nav\n"
                          "* a\n"
                          "[index.html]\n"
                          "$title Home\n"
                          "$own page only\n"
                          "$.footer F\n"
                          "Hello\n"),
            0);
  // Page variables belong to their section: no section is current after a generation.
  EXPECT_EQ(site.Variable("title"), "Site");
  EXPECT_EQ(site.Variable("own"), "<not found>");
  EXPECT_EQ(site.Variable("footer"), "F");
  EXPECT_EQ(site.Variable("FOOTER"), "F");
  EXPECT_EQ(site.Variable(".title"), "Site");
  EXPECT_EQ(site.Variable(".own"), "<not found>");
  EXPECT_EQ(site.Variable("menu.label"), "Nav");
  EXPECT_EQ(site.Variable("Menu.LABEL"), "Nav");
  // A section with a dot in its name cannot be addressed; the whole name is looked up instead.
  EXPECT_EQ(site.Variable("index.title"), "<not found>");
  EXPECT_EQ(site.Variable("index.html.title"), "<not found>");
  // The fragment's HTML, found by its name.
  EXPECT_EQ(site.Variable("menu"), "<ul>\n<li>a</li>\n</ul>\n");
  EXPECT_EQ(site.Variable("MENU"), "<ul>\n<li>a</li>\n</ul>\n");
  // Set at the start of every generation.
  EXPECT_EQ(site.Variable("charset"), "utf-8");
  // Directives that are executed are not variables.
  EXPECT_EQ(site.Variable("theme"), "<not found>");
  EXPECT_EQ(site.Variable("preview"), "<not found>");
  // The built-in values: the section has been written, so no name and no content are left.
  EXPECT_EQ(site.Variable("name"), "");
  EXPECT_EQ(site.Variable("Content"), "");
  EXPECT_EQ(site.Variable("index"), "index.html");

  std::string value = "stale";
  EXPECT_FALSE(site.Generator.GetVariable("missing", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(site.Generator.GetVariableOr("missing", "fallback"), "fallback");
  EXPECT_EQ(site.Generator.GetVariableOr("title", "fallback"), "Site");
  // A variable set to nothing exists.
  ASSERT_EQ(site.Generate("$title Home\n$title\n$$more\n"), 0);
  EXPECT_EQ(site.Generator.GetVariableOr("title", "fallback"), "");
  EXPECT_EQ(site.Generator.GetVariableOr("more", "fallback"), "");
}

TEST(GeneratorLookup, BeforeAnyGenerationNothingIsFound) {
  THTMLGenerator generator;
  std::string value;
  EXPECT_FALSE(generator.GetVariable("title", value));
  EXPECT_EQ(generator.GetIndexPage(), "");
}

TEST(GeneratorLookup, AVariableNamedLikeABuiltInHidesIt) {
  TSite site;
  ASSERT_EQ(site.Generate("$index start.html\n$name mine\n[a.html]\nA\n"), 0);
  EXPECT_EQ(site.Variable("INDEX"), "start.html");
  EXPECT_EQ(site.Variable("NAME"), "mine");
}

TEST(GeneratorIndexPage, TheGlobalIndexVariableWins) {
  TSite site;
  ASSERT_EQ(site.Generate("$index start.html\n[a.html]\nA\n"), 0);
  EXPECT_EQ(site.Generator.GetIndexPage(), "start.html");
  // Set inside a section it is that section's variable, not the site's index.
  ASSERT_EQ(site.Generate("[feed.xml]\nx\n[a.html]\n$index other.html\nA\n"), 0);
  EXPECT_EQ(site.Generator.GetIndexPage(), "a.html");
}

TEST(GeneratorIndexPage, TheFirstHtmOrHtmlFileElseTheLastFile) {
  TSite site;
  ASSERT_EQ(site.Generate("[feed.xml]\nx\n[a.php]\nA\n[b.shtml]\nB\n[docs/C.HTM]\nC\n[d.html]\nD\n"),
            0);
  EXPECT_EQ(site.Generator.GetIndexPage(), "docs\\C.HTM");

  ASSERT_EQ(site.Generate("[a.php]\nA\n[feed.xml]\nx\n"), 0);
  EXPECT_EQ(site.Generator.GetIndexPage(), "feed.xml");

  // Copied resources are written files too, and count like pages.
  ASSERT_EQ(site.Generate("[a.php]\n<img src=\"pic.html\">\n[feed.xml]\nx\n"), 0);
  EXPECT_EQ(site.Generator.WrittenFiles(), (std::vector<std::string>{"a.php", "feed.xml", "pic.html"}));
  EXPECT_EQ(site.Generator.GetIndexPage(), "pic.html");

  ASSERT_EQ(site.Generate(""), 0);
  EXPECT_EQ(site.Generator.GetIndexPage(), "");
  EXPECT_TRUE(site.Generator.WrittenFiles().empty());
}

TEST(GeneratorIndexPage, DuringAGenerationOnlyTheFilesWrittenSoFarCount) {
  TSite site;
  ASSERT_EQ(site.Generate("[first.txt]\n{INDEX}\n[second.txt]\n{INDEX}\n[p.html]\n[third.txt]\n"
                          "{INDEX}\n"),
            0);
  EXPECT_EQ(site.Read("html/first.txt"), "");
  EXPECT_EQ(site.Read("html/second.txt"), "first.txt");
  EXPECT_EQ(site.Read("html/third.txt"), "p.html");
}

// --- NOW ------------------------------------------------------------------------------------

TEST(GeneratorNow, HasTheDocumentedShape) {
  TSite site;
  ASSERT_EQ(site.Generate("[feed.xml]\n<pubDate>{NOW}</pubDate>\n<d>{now}</d>\n"), 0);
  ExpectNowShape(site.Generator.GetVariableOr("NOW", ""));
  ExpectNowShape(site.Generator.GetVariableOr("Now", ""));

  std::string feed = site.Read("html/feed.xml");
  QRegularExpression lines(QStringLiteral("^<pubDate>(.*)</pubDate>\n<d>(.*)</d>$"));
  QRegularExpressionMatch match = lines.match(QString::fromStdString(feed));
  ASSERT_TRUE(match.hasMatch()) << feed;
  ExpectNowShape(match.captured(1).toStdString());
  ExpectNowShape(match.captured(2).toStdString());
}

// --- Placeholder parsing ----------------------------------------------------------------------

TEST(GeneratorPlaceholders, WhatIsNotAPlaceholderStaysAsWritten) {
  TSite site;
  ASSERT_EQ(site.Generate("$title Home\n"
                          "$r1 {my title}\n"
                          "$r2 {}\n"
                          "$r3 {title }\n"
                          "$r4 {f (a)}\n"
                          "$r5 {f(a)\n"
                          "$r6 {f(, b)}\n"
                          "$r7 {f(a) b} {f(a b}\n"
                          "$r8 {  }\n"),
            0);
  EXPECT_EQ(site.Variable("r1"), "{my title}");
  EXPECT_EQ(site.Variable("r2"), "{}");
  EXPECT_EQ(site.Variable("r3"), "{title }");
  EXPECT_EQ(site.Variable("r4"), "{f (a)}");
  EXPECT_EQ(site.Variable("r5"), "{f(a)");
  // An argument that yields nothing ends the list; the cursor is then not on ")".
  EXPECT_EQ(site.Variable("r6"), "{f(, b)}");
  // Text after ")" is ignored; an unclosed argument list ending the content still parses.
  EXPECT_EQ(site.Variable("r7"), " ");
  EXPECT_EQ(site.Variable("r8"), "{  }");
}

TEST(GeneratorPlaceholders, ArgumentsQuotedNamedAndUnclosed) {
  TSite site;
  ASSERT_EQ(site.Generate("$f <{&1}|{&2}|{&k}>\n"
                          "$k global\n"
                          "$r1 {f('a, b')}\n"
                          "$r2 {f(a, b}\n"
                          "$r3 {f(\"x)y\", 'z')}\n"
                          "$r4 {f( a , b )}\n"
                          "$r5 {f(k=named, first)}\n"
                          "$r6 {f('', second)}\n"
                          "$r7 {f}\n"
                          "$r8 {f()}\n"
                          "$r9 {F(k='q, r')}\n"),
            0);
  EXPECT_EQ(site.Variable("r1"), "<a, b||global>");
  EXPECT_EQ(site.Variable("r2"), "<a|b|global>");
  EXPECT_EQ(site.Variable("r3"), "<x)y|z|global>");
  // Unquoted values keep their trailing spaces.
  EXPECT_EQ(site.Variable("r4"), "<a |b |global>");
  // Named arguments do not count as positional ones, and hide a variable of the same name.
  EXPECT_EQ(site.Variable("r5"), "<first||named>");
  // An empty argument is not recorded, but it still is the first positional argument.
  EXPECT_EQ(site.Variable("r6"), "<|second|global>");
  EXPECT_EQ(site.Variable("r7"), "<||global>");
  EXPECT_EQ(site.Variable("r8"), "<||global>");
  EXPECT_EQ(site.Variable("r9"), "<||q, r>");
}

TEST(GeneratorPlaceholders, InsertedValuesAreConvertedInline) {
  TSite site;
  ASSERT_EQ(site.Generate("$b _[bold]\n$r {b} and _[not inserted]\n$s {&b}\n"), 0);
  EXPECT_EQ(site.Variable("r"), "<strong>bold</strong> and _[not inserted]");
  EXPECT_EQ(site.Variable("s"), "{b}");
}

// --- Expansion that would never end ---------------------------------------------------------

TEST(GeneratorExpansionLimit, AVariableThatNamesItself) {
  TSite site;
  ASSERT_EQ(site.Generate("$a {&a}\n$b x{&c}\n$c y{&b}\n[p.txt]\n{a}\n{b}\n"), 0);
  EXPECT_EQ(site.Variable("a"), "{a}");
  std::string page = site.Read("html/p.txt");
  EXPECT_NE(page.find("{a}"), std::string::npos) << page.substr(0, 200);
  EXPECT_NE(page.find("xyxy"), std::string::npos) << page.substr(0, 200);
  EXPECT_TRUE(page.find("{b}") != std::string::npos || page.find("{c}") != std::string::npos)
      << page.substr(0, 200);
}

TEST(GeneratorExpansionLimit, APageBodyHoldingItsOwnContent) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "<b>{content}</b>");
  ASSERT_EQ(site.Generate("[index.html]\nbefore {&content} after\n"), 0);
  std::string page = site.Read("html/index.html");
  EXPECT_EQ(page.rfind("<b>before ", 0), 0u) << page.substr(0, 200);
  EXPECT_NE(page.find("{content}"), std::string::npos) << page.substr(0, 200);
}

TEST(GeneratorExpansionLimit, DeeplyNestedBraces) {
  TSite site;
  const size_t depth = 100000;
  // {{x}} gives the expansion of {x} in braces, and {} stays as it is: nested braces come out
  // unchanged however deep they go.
  std::string nested = "x" + Repeat("{", depth) + Repeat("}", depth);
  ASSERT_EQ(site.Generate("[p.html]\n" + nested + "\n"), 0);
  EXPECT_TRUE(site.Read("html/p.html") == nested + "\n");

  std::string open = "x" + Repeat("{", depth) + "title";
  ASSERT_EQ(site.Generate("$title T\n[p.html]\n" + open + "\n"), 0);
  EXPECT_TRUE(site.Read("html/p.html") == open + "\n");

  std::string amp = "x" + Repeat("{&", depth) + Repeat("}", depth);
  ASSERT_EQ(site.Generate("[p.html]\n" + amp + "\n"), 0);
  std::string page = site.Read("html/p.html");
  EXPECT_EQ(page.rfind("x{", 0), 0u);
  EXPECT_LE(page.size(), amp.size() + 1);
}

TEST(GeneratorExpansionLimit, MacrosThatDoubleAtEveryLevel) {
  TSite site;
  std::string text = "$m0 ab\n";
  for (int level = 1; level <= 40; ++level)
    text += "$m" + std::to_string(level) + " {&m" + std::to_string(level - 1) + "}{&m" +
            std::to_string(level - 1) + "}\n";
  text += "$r {m3}|{m40}\n";
  ASSERT_EQ(site.Generate(text), 0);
  std::string value = site.Variable("r");
  // A few levels are expanded in full; 2^40 copies are not, and some construct stays.
  EXPECT_EQ(value.rfind("abababababababab|abab", 0), 0u) << value.substr(0, 100);
  EXPECT_NE(value.find("{m"), std::string::npos);
  EXPECT_LT(value.size(), size_t(1) << 33);
}

// --- State that belongs to one generation ---------------------------------------------------

TEST(GeneratorState, OutputPathSubstitutionAndQuoteStyleReturnToTheirDefaults) {
  TSite site;
  QTemporaryDir elsewhere;
  const std::string absolute = elsewhere.filePath(QStringLiteral("www")).toStdString();
  // The outpath directive stands in the section it applies to: b.txt is written when it ends.
  ASSERT_EQ(site.Generate("$quotestyle note\n[a.html]\n> q\n[b.txt]\n$outpath " + absolute +
                          "\n$subst off\n{x}\n"),
            0);
  std::string output = site.Generator.GetOutputFolder();
  ASSERT_FALSE(output.empty());
  EXPECT_TRUE(output.back() == '/' || output.back() == '\\') << output;
  EXPECT_EQ(output.substr(0, absolute.size()), absolute);
  EXPECT_EQ(site.Read("html/a.html"), "<div class=\"note\">\n&#32;q<br/></div>\n");
  QFile written(elsewhere.filePath(QStringLiteral("www/b.txt")));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), QByteArray("{x}\n"));
  EXPECT_FALSE(site.Exists(QStringLiteral("html/b.txt")));

  // The next generation starts from the defaults: html beside the project, placeholders
  // substituted, quotations as preformatted text.
  ASSERT_EQ(site.Generate("$x X\n[a.html]\n> q\n[b.txt]\n{x}\n"), 0);
  output = site.Generator.GetOutputFolder();
  EXPECT_EQ(QDir::cleanPath(QString::fromStdString(output).replace('\\', '/')),
            QDir::cleanPath(QDir(site.Folder).filePath(QStringLiteral("html"))));
  EXPECT_EQ(site.Read("html/a.html"), "<pre>\n&#32;q\n</pre>\n");
  EXPECT_EQ(site.Read("html/b.txt"), "X");
}

TEST(GeneratorState, ThemeFilesEditedBetweenGenerationsAreReadAgain) {
  // As after a change in the template editor followed by another Preview.
  TSite site;
  site.Write(QStringLiteral("template/index.html"),
             "<link rel=\"stylesheet\" href=\"style.css\"><a>{content}</a>");
  site.Write(QStringLiteral("template/style.css"), "p { background: url(one.png) }");
  site.Write(QStringLiteral("template/one.png"), "one");
  site.Write(QStringLiteral("template/two.png"), "two");
  const std::string project = "[index.html]\nHi\n";
  ASSERT_EQ(site.Generate(project), 0);
  EXPECT_EQ(site.Read("html/index.html"), "<link rel=\"stylesheet\" href=\"style.css\"><a>Hi</a>");
  EXPECT_EQ(site.Read("html/one.png"), "one");

  site.Write(QStringLiteral("template/index.html"),
             "<link rel=\"stylesheet\" href=\"style.css\"><b>{content}</b>");
  site.Write(QStringLiteral("template/style.css"), "p { background: url(two.png) }");
  ASSERT_EQ(site.Generate(project), 0);
  EXPECT_EQ(site.Read("html/index.html"), "<link rel=\"stylesheet\" href=\"style.css\"><b>Hi</b>");
  EXPECT_EQ(site.Read("html/style.css"), "p { background: url(two.png) }");
  EXPECT_EQ(site.Read("html/two.png"), "two");
  EXPECT_EQ(site.Generator.WrittenFiles(),
            (std::vector<std::string>{"index.html", "style.css", "two.png"}));

  ASSERT_TRUE(QFile::remove(QDir(site.Folder).filePath(QStringLiteral("template/index.html"))));
  ASSERT_EQ(site.Generate(project), 0);
  EXPECT_EQ(site.Read("html/index.html"), "Hi\n");
}

TEST(GeneratorState, AnEmptyProjectMakesTheOutputFolderAndLoadsTheProjectTheme) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "{content}");
  ASSERT_EQ(site.Generate(""), 0);
  EXPECT_TRUE(QFileInfo(QDir(site.Folder).filePath(QStringLiteral("html"))).isDir());
  EXPECT_TRUE(site.Generator.Theme().IsLoaded());
  EXPECT_EQ(site.Generator.Theme().DefaultTemplate(), "index.html");
  EXPECT_TRUE(site.Generator.WrittenFiles().empty());
}

// --- A damaged theme archive ----------------------------------------------------------------

TEST(GeneratorArchiveTheme, ADamagedTemplateEndsTheGenerationNamingArchiveEntryAndLine) {
  TSite site;
  site.Write(QStringLiteral("template.zip"),
             StoredArchive({{"style.css", "body { color: black }"},
                            {"index.html", "<link rel=\"stylesheet\" href=\"style.css\">{content}"}},
                           "index.html"));
  EXPECT_EQ(site.Generate("[a.inc]\nA\n[index.html]\nHi\n"), THTMLGenerator::geDamagedArchive);
  EXPECT_EQ(site.Generator.ErrorLine(), 3);
  EXPECT_EQ(site.Generator.ErrorSubject(), QDir(site.Folder).filePath("template.zip").toStdString());
  EXPECT_EQ(site.Generator.ErrorDetail(), "index.html");
  // What was written before the error stays; nothing after it is written or copied.
  EXPECT_EQ(site.Read("html/a.inc"), "A");
  EXPECT_FALSE(site.Exists(QStringLiteral("html/index.html")));
  EXPECT_FALSE(site.Exists(QStringLiteral("html/style.css")));
}

TEST(GeneratorArchiveTheme, ADamagedResourceEndsTheGenerationWhenItIsCopied) {
  TSite site;
  QDir().mkpath(site.Root.filePath(QStringLiteral("themes")));
  QFile archive(site.Root.filePath(QStringLiteral("themes/plain.ikltheme")));
  ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
  std::string bytes = StoredArchive(
      {{"index.html", "<img src=\"img/bg.png\">{content}"}, {"img/bg.png", "not really a PNG"}},
      "img/bg.png");
  archive.write(bytes.data(), static_cast<qint64>(bytes.size()));
  archive.close();
  EXPECT_EQ(site.Generate("$theme plain\n[index.html]\nHi\n[two.html]\nTwo\n"),
            THTMLGenerator::geDamagedArchive);
  EXPECT_EQ(site.Generator.ErrorDetail(), "img/bg.png");
  EXPECT_EQ(site.Read("html/index.html"), "<img src=\"img/bg.png\">Hi");
  EXPECT_EQ(site.Read("html/two.html"), "<img src=\"img/bg.png\">Two");
  EXPECT_FALSE(site.Exists(QStringLiteral("html/img/bg.png")));

  // The same generator runs again once the archive is whole.
  bytes = StoredArchive(
      {{"index.html", "<img src=\"img/bg.png\">{content}"}, {"img/bg.png", "not really a PNG"}},
      "");
  ASSERT_TRUE(archive.open(QIODevice::WriteOnly | QIODevice::Truncate));
  archive.write(bytes.data(), static_cast<qint64>(bytes.size()));
  archive.close();
  ASSERT_EQ(site.Generate("$theme plain\n[index.html]\nHi\n"), 0);
  EXPECT_EQ(site.Read("html/img/bg.png"), "not really a PNG");
}
