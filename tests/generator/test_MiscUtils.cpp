#include "generator/MiscUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  TCursor cursor(text);
  std::string_view line;
  while (ReadLine(cursor, line)) lines.emplace_back(line);
  return lines;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(ReadLine, EveryKindOfLineBreakEndsOneLine) {
  EXPECT_EQ(Lines("a\r\nb\n"), (Strings{"a", "b"}));
  EXPECT_EQ(Lines("a\n\rb"), (Strings{"a", "", "b"}));
  EXPECT_EQ(Lines("a\rb\r\r\nc"), (Strings{"a", "b", "", "c"}));
  EXPECT_EQ(Lines(""), Strings{});
  EXPECT_EQ(Lines("\n"), Strings{""});
  EXPECT_EQ(Lines("last"), Strings{"last"});
  // A NUL byte is the end of the text.
  EXPECT_EQ(Lines(std::string_view("a\nb\0c\nd", 7)), (Strings{"a", "b"}));
}

// RejoinLines takes a shortcut for lines ended by LF alone; every text must come out as the
// lines ReadLine finds, joined by LF.
TEST(RejoinLines, GivesTheLinesOfReadLineJoinedByLineFeeds) {
  const std::string pieces[] = {"a", "b", "\n", "\n", "\r", std::string(1, '\0'), " "};
  uint32_t state = 7;
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    for (int length = n % 9; length > 0; --length) {
      state = state * 1664525u + 1013904223u;
      text += pieces[(state >> 8) % 7];
    }
    std::string expected = text;
    if (text.find('\n') != std::string::npos) {
      expected.clear();
      TCursor cursor(text);
      std::string_view line;
      for (bool first = true; ReadLine(cursor, line); first = false) expected += (first ? "" : "\n") + std::string(line);
    }
    EXPECT_EQ(RejoinLines(text), expected) << n;
  }
}

TEST(ReadWord, NeedsItsDelimiter) {
  std::string text = "title Home";
  TCursor cursor(text);
  std::string_view word;
  ASSERT_TRUE(ReadWord(cursor, ' ', DirectiveNameChars, word));
  EXPECT_EQ(word, "title");
  EXPECT_EQ(std::string_view(cursor.Pos), "Home");

  std::string alone = "title";
  TCursor at(alone);
  EXPECT_FALSE(ReadWord(at, ' ', DirectiveNameChars, word));
  EXPECT_EQ(at.Pos, alone.data());
  ASSERT_TRUE(ReadWord(at, '\0', DirectiveNameChars, word));
  EXPECT_EQ(word, "title");
  EXPECT_TRUE(at.AtEnd());

  std::string empty = " x";
  TCursor none(empty);
  EXPECT_FALSE(ReadWord(none, ' ', WordChars, word));
}

TEST(ReadWord, NonAsciiNamesEndAtTheFirstContinuationByte) {
  std::string name = "\xD0\xB8\xD0\xBC\xD1\x8F x";  // "имя" in UTF-8
  TCursor cursor(name);
  std::string_view word;
  EXPECT_FALSE(ReadWord(cursor, ' ', DirectiveNameChars, word));
  std::string lead = "a\xD0 x";
  TCursor leadCursor(lead);
  ASSERT_TRUE(ReadWord(leadCursor, ' ', DirectiveNameChars, word));
  EXPECT_EQ(word, "a\xD0");
}

TEST(ReadWordUntilAny, StopsOnAnyDelimiterOrTheEnd) {
  static constexpr TCharSet kEndOrSpace(std::string_view("\0 ", 2), "", false);
  std::string_view word;
  std::string text = "note rest";
  TCursor cursor(text);
  ASSERT_TRUE(ReadWordUntilAny(cursor, kEndOrSpace, AttributeTokenChars, word));
  EXPECT_EQ(word, "note");
  EXPECT_EQ(std::string_view(cursor.Pos), "rest");
  std::string last = "#top";
  TCursor lastCursor(last);
  ASSERT_TRUE(ReadWordUntilAny(lastCursor, kEndOrSpace, AttributeTokenChars, word));
  EXPECT_EQ(word, "#top");
  std::string style = "color:red";
  TCursor styleCursor(style);
  EXPECT_FALSE(ReadWordUntilAny(styleCursor, kEndOrSpace, AttributeTokenChars, word));
}

TEST(ReadValue, QuotedUnquotedAndWhereTheCursorStops) {
  std::string_view value;
  std::string quoted = "'a, b', c)";
  TCursor cursor(quoted);
  ASSERT_TRUE(ReadValue(cursor, ',', ')', value));
  EXPECT_EQ(value, "a, b");
  EXPECT_EQ(std::string_view(cursor.Pos), "c)");

  std::string trailing = "x )";
  TCursor trailingCursor(trailing);
  ASSERT_TRUE(ReadValue(trailingCursor, ',', ')', value));
  EXPECT_EQ(value, "x ");
  EXPECT_EQ(std::string_view(trailingCursor.Pos), ")");

  std::string spaced = "'a' , c)";
  TCursor spacedCursor(spaced);
  ASSERT_TRUE(ReadValue(spacedCursor, ',', ')', value));
  EXPECT_EQ(value, "a");
  EXPECT_EQ(std::string_view(spacedCursor.Pos), ", c)");

  std::string emptyQuotes = "\"\" rest";
  TCursor emptyCursor(emptyQuotes);
  ASSERT_TRUE(ReadValue(emptyCursor, ' ', '\0', value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(std::string_view(emptyCursor.Pos), "rest");

  std::string unclosed = "  'open";
  TCursor unclosedCursor(unclosed);
  EXPECT_FALSE(ReadValue(unclosedCursor, ' ', '\0', value));
  EXPECT_EQ(unclosedCursor.Pos, unclosed.data());

  std::string blank = "   ";
  TCursor blankCursor(blank);
  EXPECT_FALSE(ReadValue(blankCursor, ' ', '\0', value));
}

TEST(ReadUntil, TextBeforeTheDelimiter) {
  std::string text = "a||b";
  TCursor cursor(text);
  std::string_view part;
  ASSERT_TRUE(ReadUntil(cursor, '|', part));
  EXPECT_EQ(part, "a");
  ASSERT_TRUE(ReadUntil(cursor, '|', part));
  EXPECT_EQ(part, "");
  EXPECT_FALSE(ReadUntil(cursor, '|', part));
  EXPECT_EQ(std::string_view(cursor.Pos), "b");
}

TEST(FindEnclosed, SkipsOneExtraCloserOnly) {
  std::string text = "x #[a] y";
  TCursor cursor(text);
  TEnclosed m;
  ASSERT_TRUE(FindEnclosed(cursor, "#[", "]", m));
  EXPECT_EQ(std::string(m.InnerStart, m.CloserStart), "a");
  EXPECT_EQ(std::string_view(cursor.Pos), " y");

  std::string nested = "#[a #[b] c] d] e";
  TCursor nestedCursor(nested);
  ASSERT_TRUE(FindEnclosed(nestedCursor, "#[", "]", m));
  EXPECT_EQ(std::string(m.InnerStart, m.CloserStart), "a #[b] c");

  std::string deeper = "#[a #[b #[c] d] e] f";
  TCursor deeperCursor(deeper);
  ASSERT_TRUE(FindEnclosed(deeperCursor, "#[", "]", m));
  EXPECT_EQ(std::string(m.InnerStart, m.CloserStart), "a #[b #[c] d");

  std::string missing = "#[a #[b]";
  TCursor missingCursor(missing);
  EXPECT_FALSE(FindEnclosed(missingCursor, "#[", "]", m));
  EXPECT_EQ(missingCursor.Pos, missing.data());
}

TEST(FindBracketed, NestsAndFailsWithoutItsClose) {
  std::string text = "_[a [b] c] d";
  TCursor cursor(text);
  TBracketed m;
  ASSERT_TRUE(FindBracketed(cursor, "_", '[', ']', m));
  EXPECT_EQ(std::string(m.InnerStart, m.CloseAt), "a [b] c");
  EXPECT_EQ(std::string_view(cursor.Pos), " d");

  std::string open = "_[a";
  TCursor openCursor(open);
  EXPECT_FALSE(FindBracketed(openCursor, "_", '[', ']', m));

  std::string braces = "x {a {b}} y";
  TCursor bracesCursor(braces);
  ASSERT_TRUE(FindBracketed(bracesCursor, "", '{', '}', m));
  EXPECT_EQ(std::string(m.InnerStart, m.CloseAt), "a {b}");
}

TEST(ReplaceBracketed, OuterFirstAndStopsAtAMissingClose) {
  EXPECT_EQ(ReplaceBracketed("_[x _[y]]", "_", '[', ']', "<b>", "</b>"), "<b>x <b>y</b></b>");
  EXPECT_EQ(ReplaceBracketed("_[a] _[b _[c]", "_", '[', ']', "<b>", "</b>"), "<b>a</b> _[b _[c]");
  EXPECT_EQ(ReplaceBracketed("[a] _[b] [", "_", '[', ']', "<b>", "</b>"), "[a] <b>b</b> [");
  EXPECT_EQ(ReplaceBracketed("__[a]", "_", '[', ']', "<b>", "</b>"), "_<b>a</b>");
}

TEST(ReplaceBracketed, ReplacementsThatFormNewConstructsAreConvertedToo) {
  // The replacement text itself holds the prefix: only the restarting search sees the new
  // construct that the first replacement leaves behind.
  EXPECT_EQ(ReplaceBracketed("_[a]", "_", '[', ']', "_[", ""), "_[a");
  EXPECT_EQ(ReplaceBracketed("x_[[a]]", "", '[', ']', "", ""), "x_a");
  EXPECT_EQ(ReplaceBracketed("_[_]x[y]", "_", '[', ']', "", ""), "_x[y]");
}

TEST(EscapeText, RoundTripsBackslashesAndLineBreaks) {
  EXPECT_EQ(EscapeText("a\\b\r\nc"), "a\\\\b\\r\\nc");
  EXPECT_EQ(UnescapeText("a\\nb"), "a\nb");
  EXPECT_EQ(UnescapeText("\\\\"), "\\");
  EXPECT_EQ(UnescapeText("\\t"), "\\t");
  EXPECT_EQ(UnescapeText("end\\"), "end\\");
  EXPECT_EQ(UnescapeText("\\\\n"), "\\n");
  for (std::string s : {"C:\\new\\dir\n2nd line\r\n", "\\\\n\\", "", "plain"})
    EXPECT_EQ(UnescapeText(EscapeText(s)), s);
}

TEST(NameValueList, FindsFirstEntryWithoutRegardToCase) {
  TNameValueList list;
  list.Add("Title=Home");
  list.Add("no equals sign");
  list.Add("title=Second");
  list.Add("=nameless");
  list.Add("path=a=b");
  std::string value;
  ASSERT_TRUE(LookupValue(&list, "TITLE", value));
  EXPECT_EQ(value, "Home");
  ASSERT_TRUE(LookupValue(&list, "path", value));
  EXPECT_EQ(value, "a=b");
  EXPECT_FALSE(LookupValue(&list, "no equals sign", value));
  EXPECT_FALSE(LookupValue(nullptr, "title", value));
  ASSERT_TRUE(LookupValue(&list, "", value));
  EXPECT_EQ(value, "nameless");

  list.Delete(0);
  ASSERT_TRUE(LookupValue(&list, "title", value));
  EXPECT_EQ(value, "Second");
  list.SetValue("TITLE", "Third");
  EXPECT_EQ(list.Entry(1), "TITLE=Third");
  list.SetValue("new", "");
  EXPECT_EQ(list.Entry(list.Count() - 1), "new=");
  EXPECT_EQ(list.IndexOfName("New"), list.Count() - 1);
  list.Clear();
  EXPECT_EQ(list.IndexOfName("title"), -1);
}

TEST(Paths, AbsoluteAndSeparators) {
  EXPECT_TRUE(IsAbsolutePath("/home/site"));
  EXPECT_TRUE(IsAbsolutePath("\\server\\share"));
  EXPECT_TRUE(IsAbsolutePath("C:\\Sites"));
  EXPECT_TRUE(IsAbsolutePath("http://example.com/"));
  EXPECT_FALSE(IsAbsolutePath("html\\index.html"));
  EXPECT_FALSE(IsAbsolutePath(""));
  EXPECT_EQ(ToBackslashes("a/b/c"), "a\\b\\c");
  EXPECT_EQ(ToSlashes("a\\b\\c"), "a/b/c");
  EXPECT_EQ(FileSystemPath("img\\\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.png"),
            QString::fromUtf8("img/фото.png"));
}

class FileHelpers : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  std::string Path(const char* relative) const {
    return (Dir.path() + '/' + QString::fromUtf8(relative)).toStdString();
  }
  static std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileText(path, bytes)) << path;
    return bytes;
  }
};

TEST_F(FileHelpers, WriteCreatesFoldersAndReadsBackByteForByte) {
  std::string bytes("line\r\n\0\xFF end", 12);
  WriteFileText(Path("a\\b\\c.txt"), bytes);  // backslashes as names made on Windows have them
  EXPECT_EQ(Read(Path("a/b/c.txt")), bytes);
  WriteFileText(Path("a/b/c.txt"), "short");
  EXPECT_EQ(Read(Path("a/b/c.txt")), "short");
  std::string missing;
  EXPECT_FALSE(ReadFileText(Path("none.txt"), missing));
  // A file that cannot be created is skipped without a word.
  WriteFileText(Path("a/b/c.txt/inside.txt"), "x");
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("a/b/c.txt/inside.txt"))));
}

TEST_F(FileHelpers, WriteTellsWhetherTheFileHoldsTheBytes) {
  EXPECT_TRUE(WriteFileText(Path("new/page.html"), "one"));  // made with its folder
  EXPECT_TRUE(WriteFileText(Path("new/page.html"), "one"));  // already there
  EXPECT_TRUE(WriteFileText(Path("new/page.html"), "two"));  // rewritten
  EXPECT_EQ(Read(Path("new/page.html")), "two");
  EXPECT_FALSE(WriteFileText(Path("new"), "a folder is in the way"));
  EXPECT_FALSE(WriteFileText(Path("new/page.html/under.html"), "a file is in the way"));
}

TEST_F(FileHelpers, WriteLeavesAFileThatHoldsTheSameBytesUntouched) {
  const QString name = QString::fromStdString(Path("page.html"));
  const std::string page(200000, 'p');  // more than one read's worth
  WriteFileText(Path("page.html"), page);
  const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
  auto setTime = [&] {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
  };
  auto modified = [&] { return QFileInfo(name).lastModified().toUTC(); };
  setTime();
  WriteFileText(Path("page.html"), page);
  EXPECT_EQ(modified(), past);  // unchanged: not written
  // The same size with other bytes (the last one differs), a shorter and a longer text, nothing.
  std::string other = page;
  other.back() = 'q';
  for (const std::string& bytes : {other, std::string("short"), page + "tail", std::string()}) {
    setTime();
    WriteFileText(Path("page.html"), bytes);
    EXPECT_EQ(Read(Path("page.html")), bytes);
    EXPECT_NE(modified(), past) << bytes.size();
  }
}

TEST_F(FileHelpers, CopyFolderCopiesTheTreeAndKeepsFilesUnlessAskedToOverwrite) {
  WriteFileText(Path("src/a.css"), "a");
  WriteFileText(Path("src/img/b.png"), "b");
  WriteFileText(Path("src/.hidden"), "h");
  EXPECT_TRUE(CopyFolder(Path("src"), Path("dst"), false));
  EXPECT_EQ(Read(Path("dst/img/b.png")), "b");
  EXPECT_EQ(Read(Path("dst/.hidden")), "h");

  WriteFileText(Path("src/a.css"), "new");
  CopyFolder(Path("src"), Path("dst"), false);
  EXPECT_EQ(Read(Path("dst/a.css")), "a");
  EXPECT_TRUE(CopyFolder(Path("src"), Path("dst"), true));
  EXPECT_EQ(Read(Path("dst/a.css")), "new");

  EXPECT_FALSE(CopyFolder(Path("missing"), Path("dst2"), true));
  EXPECT_FALSE(CopyFolder(Path("src"), Path("src/"), true));
}

TEST_F(FileHelpers, CopyMatchingFilesUsesWildcardsAndSkipsHiddenEntries) {
  WriteFileText(Path("theme/Style.CSS"), "s");
  WriteFileText(Path("theme/print.css"), "p");
  WriteFileText(Path("theme/.secret.css"), "x");
  WriteFileText(Path("theme/index.html"), "i");
  WriteFileText(Path("theme/css1/inner.txt"), "n");
  EXPECT_TRUE(CopyMatchingFiles(Path("theme/*.css"), Path("out"), true));
  EXPECT_EQ(Read(Path("out/Style.CSS")), "s");
  EXPECT_EQ(Read(Path("out/print.css")), "p");
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("out/.secret.css"))));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("out/index.html"))));

  EXPECT_TRUE(CopyMatchingFiles(Path("theme\\css?"), Path("out2"), true));
  EXPECT_EQ(Read(Path("out2/css1/inner.txt")), "n");
  EXPECT_FALSE(CopyMatchingFiles(Path("theme/*.js"), Path("out3"), true));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("out3"))));
}

TEST_F(FileHelpers, OnlyStarAndQuestionMarkAreWildcards) {
  for (const char* name : {"photo[1].png", "photo1.png", "Photo{2}.PNG", ".photo9.png"})
    WriteFileText(Path("theme/") + name, name);
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"PHOTO[1].PNG", {"photo[1].png"}},
      {"photo?.png", {"photo1.png"}},
      {"*[*", {"photo[1].png"}},
      {"photo{2}.png", {"Photo{2}.PNG"}},
      {"*9.png", {}},  // hidden
      {"p*o?.*", {"photo1.png"}},
  };
  int run = 0;
  for (const auto& [pattern, expected] : cases) {
    SCOPED_TRACE(pattern);
    const std::string out = Path("out") + std::to_string(++run);
    EXPECT_EQ(CopyMatchingFiles(Path("theme/") + pattern, out, true), !expected.empty());
    std::vector<std::string> copied;
    for (const QString& name : QDir(QString::fromStdString(out)).entryList(QDir::Files))
      copied.push_back(name.toStdString());
    EXPECT_EQ(copied, expected);
  }
}

TEST_F(FileHelpers, ACopyOntoItselfLeavesTheFileAlone) {
  WriteFileText(Path("theme/style.css"), "s");
  WriteFileText(Path("theme/img/bg.png"), "b");
  ASSERT_TRUE(
      QFile::link(QString::fromStdString(Path("theme")), QString::fromStdString(Path("look"))));
  // The same folder by its own name, with a separator of either kind, and through the link.
  CopyMatchingFiles(Path("theme/*.css"), Path("theme"), true);
  CopyMatchingFiles(Path("theme\\style.css"), Path("theme/"), true);
  CopyMatchingFiles(Path("theme/style.css"), Path("look"), true);
  CopyMatchingFiles(Path("look/img"), Path("theme"), true);
  EXPECT_FALSE(CopyFolder(Path("theme"), Path("look"), true));
  EXPECT_FALSE(CopyFolder(Path("look/img"), Path("theme/img/"), true));
  EXPECT_EQ(Read(Path("theme/style.css")), "s");
  EXPECT_EQ(Read(Path("theme/img/bg.png")), "b");
}
