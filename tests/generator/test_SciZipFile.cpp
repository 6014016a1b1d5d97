// The theme archive reader against archives made at test time by Info-ZIP's zip and by Python's
// zipfile module, whole, damaged and cut short.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSite.h"
#include "generator/SciZipFile.h"

namespace {

// Writes each entry with the method asked for, then reports where every entry lies in the file:
// one line "header-offset data-start data-end" per entry, in file order.
const char* const MakeZipScript = R"(
import sys, zipfile
out, comment = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, 'w') as z:
    z.comment = comment.encode()
    for item in sys.argv[3:]:
        method, name, source = item.split(':', 2)
        info = zipfile.ZipInfo(name, date_time=(2021, 5, 4, 3, 2, 0))
        info.compress_type = zipfile.ZIP_DEFLATED if method == 'd' else zipfile.ZIP_STORED
        if source.startswith('@zeros='):
            data = bytes(int(source[7:]))
        else:
            with open(source, 'rb') as f:
                data = f.read()
        z.writestr(info, data)
with zipfile.ZipFile(out) as z:
    for info in z.infolist():
        start = info.header_offset + 30 + len(info.filename.encode()) + len(info.extra)
        print(info.header_offset, start, start + info.compress_size)
)";

struct TSourceEntry {
  std::string Name;
  std::string Bytes;
  bool Deflate;
};

struct TLayout {
  size_t Header;
  size_t DataStart;
  size_t DataEnd;
};

std::string ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteAll(const QString& path, std::string_view bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
            static_cast<qint64>(bytes.size()));
}

void PutU32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Bytes that do not compress well, the same on every run.
std::string Noise(size_t length, uint32_t seed) {
  std::string bytes(length, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

std::string AllByteValues() {
  std::string bytes;
  for (int round = 0; round < 3; ++round)
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

std::string StyleSheet() {
  std::string css;
  for (int i = 0; i < 200; ++i)
    css += ".item" + std::to_string(i) + " { margin: 0 auto; color: #336699; }\r\n";
  return css;
}

class ZipFileTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;

  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

  std::string Path(const QString& name) const { return Dir.filePath(name).toStdString(); }

  static std::string Run(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory = QString()) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
  }

  // Makes archiveName in the temporary folder with Python's zipfile and returns its layout.
  std::vector<TLayout> MakeArchive(const QString& archiveName,
                                   const std::vector<TSourceEntry>& entries,
                                   const std::string& comment = std::string()) {
    QStringList arguments{"-c", MakeZipScript, Dir.filePath(archiveName),
                          QString::fromStdString(comment)};
    int n = 0;
    for (const TSourceEntry& entry : entries) {
      const QString source = Dir.filePath("sources/" + QString::number(n++));
      WriteAll(source, entry.Bytes);
      arguments << QString(entry.Deflate ? "d:" : "s:") + QString::fromStdString(entry.Name) + ":" +
                       source;
    }
    return ParseLayout(Run("/usr/bin/python3", arguments));
  }

  // An archive with one deflated entry of count zero bytes (made by Python, not on disk first).
  std::vector<TLayout> MakeZerosArchive(const QString& archiveName, size_t count) {
    const QString item = "d:bomb.bin:@zeros=" + QString::number(count);
    return ParseLayout(
        Run("/usr/bin/python3", {"-c", MakeZipScript, Dir.filePath(archiveName), QString(), item}));
  }

  static std::vector<TLayout> ParseLayout(const std::string& output) {
    std::vector<TLayout> layout;
    std::istringstream lines(output);
    TLayout entry{};
    while (lines >> entry.Header >> entry.DataStart >> entry.DataEnd) layout.push_back(entry);
    return layout;
  }
};

// The text of the error Data raises, or "" when it returns.
template <class TError>
std::string ErrorOf(const TZipFile& zip, int index) {
  try {
    zip.Data(index);
  } catch (const TError& error) {
    return error.what();
  }
  return std::string();
}

const std::vector<TSourceEntry> ThemeEntries = {
    {"readme.txt", "A theme for small sites.\nLine two.\n", false},
    {"css/site.css", StyleSheet(), true},
    {"images/logo.bin", AllByteValues() + Noise(3000, 7), true},
    {"images/raw.bin", std::string("\0\r\n\xff\x00PK", 7) + Noise(500, 11), false},
    {"empty-deflated.txt", "", true},
    {"empty-stored.txt", "", false},
    {"templates/deep/er/page.html", "<html><body>{{body}}</body></html>", true},
};

TEST_F(ZipFileTest, PythonArchiveGivesEveryEntryUnchanged) {
  MakeArchive("theme.zip", ThemeEntries, "theme archive comment");
  TZipFile zip;
  zip.LoadFromFile(Path("theme.zip"));

  ASSERT_EQ(zip.Count(), static_cast<int>(ThemeEntries.size()));
  for (int i = 0; i < zip.Count(); ++i) {
    SCOPED_TRACE(ThemeEntries[i].Name);
    EXPECT_EQ(zip.Name(i), ThemeEntries[i].Name);
    EXPECT_EQ(zip.Data(i), ThemeEntries[i].Bytes);
    EXPECT_EQ(zip.LocalFiles()[i].CompressionMethod, ThemeEntries[i].Deflate ? 8 : 0);
  }
  // The central directory and the end record are read too.
  ASSERT_EQ(zip.FileHeaders().size(), ThemeEntries.size());
  EXPECT_EQ(zip.FileHeaders()[1].FileName, "css/site.css");
  EXPECT_EQ(zip.EndOfCentralDir().EntriesTotal, ThemeEntries.size());
  EXPECT_EQ(zip.Comment(), "theme archive comment");
}

TEST_F(ZipFileTest, InfoZipArchiveWithStoredAndDeflatedEntries) {
  const QString source = Dir.filePath("src");
  const std::map<std::string, std::string> files = {
      {"stored.bin", AllByteValues()},
      {"index.html", "<p>Hello</p>\n"},
      {"css/site.css", StyleSheet()},
      {"images/noise.bin", Noise(5000, 3)},
      {"empty.txt", ""},
  };
  for (const auto& [name, bytes] : files)
    WriteAll(source + "/" + QString::fromStdString(name), bytes);
  // Two runs into one archive: the first forces "stored", the second compresses what it can.
  // zip keeps its extra fields (time stamps, owner), so the reader must skip them.
  Run("/usr/bin/zip", {"-q", "-0", "../theme.zip", "stored.bin"}, source);
  Run("/usr/bin/zip",
      {"-q", "-9", "-r", "../theme.zip", "index.html", "css", "images", "empty.txt"}, source);

  TZipFile zip;
  zip.LoadFromFile(Path("theme.zip"));
  std::map<std::string, std::string> read;
  bool sawStored = false, sawDeflated = false, sawExtraField = false;
  for (int i = 0; i < zip.Count(); ++i) {
    read[zip.Name(i)] = zip.Data(i);
    const TLocalFile& local = zip.LocalFiles()[i];
    if (local.CompressedSize > 0) (local.CompressionMethod == 0 ? sawStored : sawDeflated) = true;
    sawExtraField = sawExtraField || !local.ExtraField.empty();
  }
  EXPECT_TRUE(sawStored);
  EXPECT_TRUE(sawDeflated);
  EXPECT_TRUE(sawExtraField);

  // zip -r also records the folders, as empty entries ending in "/".
  std::map<std::string, std::string> expected = files;
  expected["css/"] = "";
  expected["images/"] = "";
  EXPECT_EQ(read, expected);
}

TEST_F(ZipFileTest, AlteredChecksumFailsOnlyThatEntry) {
  const std::vector<TSourceEntry> entries = {
      {"a.txt", "first entry, stored", false},
      {"css/b.css", StyleSheet(), true},
      {"c.txt", "third entry, stored", false},
  };
  const std::vector<TLayout> layout = MakeArchive("theme.zip", entries);
  ASSERT_EQ(layout.size(), 3u);
  const std::string original = ReadAll(Dir.filePath("theme.zip"));

  for (int damaged : {1, 2}) {
    SCOPED_TRACE(damaged);
    std::string bytes = original;
    bytes.at(layout[damaged].Header + 14) ^= 0x01;  // CRC-32 in the local header
    TZipFile zip;
    zip.LoadFromData(bytes);
    ASSERT_EQ(zip.Count(), 3);
    for (int i = 0; i < 3; ++i) {
      if (i == damaged)
        EXPECT_EQ(ErrorOf<EZipFileCRCError>(zip, i), "CRC Error in \"" + entries[i].Name + "\".");
      else
        EXPECT_EQ(zip.Data(i), entries[i].Bytes);
    }
  }

  {
    SCOPED_TRACE("a changed byte of stored data");
    std::string bytes = original;
    bytes.at(layout[0].DataStart + 3) ^= 0x20;
    TZipFile zip;
    zip.LoadFromData(bytes);
    EXPECT_EQ(ErrorOf<EZipFileCRCError>(zip, 0), "CRC Error in \"a.txt\".");
    EXPECT_EQ(zip.Data(2), entries[2].Bytes);
  }

  {
    SCOPED_TRACE("the central directory's checksums are not what is checked");
    std::string bytes = original;
    for (size_t at = bytes.find("PK\x01\x02"); at != std::string::npos;
         at = bytes.find("PK\x01\x02", at + 4))
      bytes.at(at + 16) ^= 0x01;
    TZipFile zip;
    zip.LoadFromData(bytes);
    ASSERT_EQ(zip.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(zip.Data(i), entries[i].Bytes);
  }
}

TEST_F(ZipFileTest, DamagedDeflateStreamRaisesZlibMessage) {
  const std::vector<TLayout> layout =
      MakeArchive("theme.zip", {{"site.css", StyleSheet(), true}, {"ok.txt", "fine", true}});
  std::string bytes = ReadAll(Dir.filePath("theme.zip"));
  // Final block of the reserved type 3.
  bytes.at(layout[0].DataStart) = 0x07;
  TZipFile zip;
  zip.LoadFromData(bytes);
  ASSERT_EQ(zip.Count(), 2);
  try {
    zip.Data(0);
    FAIL() << "a damaged stream was inflated";
  } catch (const EZipFileCRCError&) {
    FAIL() << "reported as a checksum error";
  } catch (const EInkloomError& error) {
    EXPECT_STREQ(error.what(), "invalid block type");
  }
  EXPECT_EQ(zip.Data(1), "fine");
}

// Every cut of the archive: the entries whose header and name are whole are listed, those whose
// data is whole read unchanged, and one cut inside its data never gives wrong bytes.
TEST_F(ZipFileTest, TruncatedArchiveKeepsWholeEntries) {
  const std::vector<TSourceEntry> entries = {
      {"index.html", "<html>" + std::string(300, 'x') + "</html>", true},
      {"stored.bin", Noise(200, 5), false},
      {"css/site.css", StyleSheet(), true},
      {"empty.txt", "", true},
  };
  const std::vector<TLayout> layout = MakeArchive("theme.zip", entries, "comment");
  ASSERT_EQ(layout.size(), entries.size());
  const std::string bytes = ReadAll(Dir.filePath("theme.zip"));

  for (size_t length = 0; length <= bytes.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    TZipFile zip;
    zip.LoadFromData(std::string_view(bytes).substr(0, length));
    int listed = 0;
    for (size_t i = 0; i < entries.size(); ++i)
      if (length >= layout[i].Header + 30 + entries[i].Name.size())
        listed = static_cast<int>(i) + 1;
    ASSERT_EQ(zip.Count(), listed);
    for (int i = 0; i < listed; ++i) {
      EXPECT_EQ(zip.Name(i), entries[i].Name);
      if (length >= layout[i].DataEnd) {
        EXPECT_EQ(zip.Data(i), entries[i].Bytes);
      } else if (!entries[i].Deflate) {
        EXPECT_THROW(zip.Data(i), EZipFileCRCError);
      } else {
        // A deflate stream missing only its last bits may still give every byte; the size and
        // CRC checks decide.
        try {
          EXPECT_EQ(zip.Data(i), entries[i].Bytes);
        } catch (const EZipFileCRCError&) {
        }
      }
    }
  }

  // The same through the file system, cut inside the second entry's data and inside the
  // central directory.
  for (size_t length : {layout[1].DataStart + 50, layout.back().DataEnd + 10}) {
    WriteAll(Dir.filePath("cut.zip"), std::string_view(bytes).substr(0, length));
    TZipFile zip;
    zip.LoadFromFile(Path("cut.zip"));
    const bool secondWhole = length >= layout[1].DataEnd;
    EXPECT_EQ(zip.Count(), secondWhole ? 4 : 2);
    EXPECT_EQ(zip.Data(0), entries[0].Bytes);
    if (secondWhole)
      EXPECT_EQ(zip.Data(2), entries[2].Bytes);
    else
      EXPECT_THROW(zip.Data(1), EZipFileCRCError);
  }
}

TEST_F(ZipFileTest, CompressedSizePastEndOfFile) {
  const std::vector<TSourceEntry> entries = {
      {"site.css", StyleSheet(), true},
      {"page.html", "<p>second</p>", false},
  };
  const std::vector<TLayout> layout = MakeArchive("theme.zip", entries);
  const std::string original = ReadAll(Dir.filePath("theme.zip"));

  {
    SCOPED_TRACE("deflated: the stream ends by itself, so its bytes still check out");
    std::string bytes = original;
    PutU32(bytes, layout[0].Header + 18, 0xFFFFFFF0u);
    TZipFile zip;
    zip.LoadFromData(bytes);
    ASSERT_EQ(zip.Count(), 1);  // the second entry was taken as the first one's data
    EXPECT_EQ(zip.Data(0), entries[0].Bytes);
  }
  {
    SCOPED_TRACE("stored: the rest of the file is not the entry");
    std::string bytes = original;
    PutU32(bytes, layout[1].Header + 18, 0x7FFFFFFFu);
    TZipFile zip;
    zip.LoadFromData(bytes);
    ASSERT_EQ(zip.Count(), 2);
    EXPECT_EQ(zip.Data(0), entries[0].Bytes);
    EXPECT_EQ(ErrorOf<EZipFileCRCError>(zip, 1), "CRC Error in \"page.html\".");
  }
}

TEST_F(ZipFileTest, FilesThatAreNotArchivesHaveNoEntries) {
  TZipFile zip;
  WriteAll(Dir.filePath("empty.zip"), "");
  zip.LoadFromFile(Path("empty.zip"));
  EXPECT_EQ(zip.Count(), 0);

  WriteAll(Dir.filePath("text.zip"), "This is a plain text file, not an archive.\n");
  zip.LoadFromFile(Path("text.zip"));
  EXPECT_EQ(zip.Count(), 0);

  std::string noise = Noise(100000, 9);
  for (size_t at = noise.find("PK"); at != std::string::npos; at = noise.find("PK", at))
    noise[at] = 'Q';
  WriteAll(Dir.filePath("noise.zip"), noise);
  zip.LoadFromFile(Path("noise.zip"));
  EXPECT_EQ(zip.Count(), 0);

  // An archive without entries is only an end record.
  MakeArchive("no-entries.zip", {});
  zip.LoadFromFile(Path("no-entries.zip"));
  EXPECT_EQ(zip.Count(), 0);
}

// The first local header is looked for word by word from the start, not byte by byte.
TEST_F(ZipFileTest, FirstHeaderIsFoundOnWholeWords) {
  MakeArchive("theme.zip", {{"a.txt", "alpha", true}});
  const std::string archive = ReadAll(Dir.filePath("theme.zip"));
  TZipFile zip;

  zip.LoadFromData(std::string(8, '\0') + archive);
  ASSERT_EQ(zip.Count(), 1);
  EXPECT_EQ(zip.Data(0), "alpha");

  for (size_t prefix : {1, 2, 3, 5}) {
    zip.LoadFromData(std::string(prefix, '\0') + archive);
    EXPECT_EQ(zip.Count(), 0) << prefix;
  }
}

TEST_F(ZipFileTest, FilesThatCannotBeOpenedRaise) {
  TZipFile zip;
  MakeArchive("theme.zip", {{"a.txt", "alpha", true}});
  zip.LoadFromFile(Path("theme.zip"));
  ASSERT_EQ(zip.Count(), 1);

  EXPECT_THROW(zip.LoadFromFile(Path("missing.zip")), EInkloomError);
  EXPECT_EQ(zip.Count(), 0);  // a failed load leaves no entries of the previous archive

  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.zip"));
  EXPECT_THROW(zip.LoadFromFile(Path("folder.zip")), EInkloomError);
}

TEST_F(ZipFileTest, LoadingReplacesAndClearEmpties) {
  MakeArchive("one.zip", {{"a.txt", "alpha", true}, {"b.txt", "beta", true}}, "one");
  MakeArchive("two.zip", {{"c.txt", "gamma", false}});
  TZipFile zip;
  zip.LoadFromFile(Path("one.zip"));
  zip.LoadFromFile(Path("two.zip"));
  ASSERT_EQ(zip.Count(), 1);
  EXPECT_EQ(zip.Name(0), "c.txt");
  EXPECT_EQ(zip.FileHeaders().size(), 1u);
  EXPECT_EQ(zip.Comment(), "");

  zip.Clear();
  EXPECT_EQ(zip.Count(), 0);
  EXPECT_TRUE(zip.FileHeaders().empty());
}

TEST_F(ZipFileTest, BadIndexRaises) {
  MakeArchive("theme.zip", {{"a.txt", "alpha", true}, {"b.txt", "beta", false}});
  TZipFile zip;
  zip.LoadFromFile(Path("theme.zip"));
  ASSERT_EQ(zip.Count(), 2);
  for (int index : {-1, 2, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(ErrorOf<EInkloomError>(zip, index), "Index out of range.");
    try {
      zip.Name(index);
      ADD_FAILURE() << "Name accepted a bad index";
    } catch (const EInkloomError& error) {
      EXPECT_STREQ(error.what(), "Index out of range.");
    }
  }
  TZipFile empty;
  EXPECT_EQ(ErrorOf<EInkloomError>(empty, 0), "Index out of range.");
}

// Gives body an address space that may grow by at most headroom bytes, then ends the process
// with 0 when body returned true.
[[noreturn]] void RunWithAddressSpaceLimit(size_t headroom, const std::function<bool()>& body) {
  size_t pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%zu", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  const rlim_t limit = pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) + headroom;
  rlimit bounds{};
  bounds.rlim_cur = bounds.rlim_max = limit;
  if (pages == 0 || setrlimit(RLIMIT_AS, &bounds) != 0) std::_Exit(2);
  std::_Exit(body() ? 0 : 1);
}

// Runs body in a child process with little room to grow, so an allocation sized by a lying
// header makes the child fail instead of passing unnoticed on a machine with memory to spare.
void ExpectWithinAddressSpace(size_t headroom, const std::function<bool()>& body) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunWithAddressSpaceLimit(headroom, body), ::testing::ExitedWithCode(0), "");
}

// A small deflated entry whose header claims far more (or far less) than it inflates to.
TEST_F(ZipFileTest, ZipBombIsNotAllocatedUpFront) {
  constexpr size_t RealSize = 32u << 20;  // 32 MB of zeros, about 32 KB deflated
  const std::vector<TLayout> layout = MakeZerosArchive("bomb.zip", RealSize);
  ASSERT_EQ(layout.size(), 1u);
  const std::string original = ReadAll(Dir.filePath("bomb.zip"));
  ASSERT_LT(original.size(), 100000u);

  {
    SCOPED_TRACE("the declared size is the real one");
    TZipFile zip;
    zip.LoadFromData(original);
    EXPECT_EQ(zip.Data(0), std::string(RealSize, '\0'));
  }

  std::string claimsFourGB = original;
  PutU32(claimsFourGB, layout[0].Header + 22, 0xFFFFFFFFu);
  ExpectWithinAddressSpace(512u << 20, [&] {
    TZipFile zip;
    zip.LoadFromData(claimsFourGB);
    return ErrorOf<EInkloomError>(zip, 0) == "\"bomb.bin\" unpacks to more than 64 MB.";
  });

  // Inflation stops once the output passes the declared size, long before the 32 MB.
  std::string claimsLittle = original;
  PutU32(claimsLittle, layout[0].Header + 22, 1000);
  ExpectWithinAddressSpace(16u << 20, [&] {
    TZipFile zip;
    zip.LoadFromData(claimsLittle);
    return ErrorOf<EZipFileCRCError>(zip, 0) == "CRC Error in \"bomb.bin\".";
  });

  {
    SCOPED_TRACE("a short result is empty, which passes a stored CRC of 0");
    std::string bytes = original;
    PutU32(bytes, layout[0].Header + 22, 40u << 20);
    PutU32(bytes, layout[0].Header + 14, 0);
    TZipFile zip;
    zip.LoadFromData(bytes);
    EXPECT_EQ(zip.Data(0), "");
  }
}

// What an archive may unpack is bounded for each entry and in all; what may be unpacked takes
// one copy of memory; a theme archive beyond the bounds ends the build naming archive and entry.
TEST_F(ZipFileTest, WhatAnArchiveUnpacksIsBounded) {
  struct TCase {
    std::vector<size_t> Sizes;  // of the entries, all zeros
    std::string Error;          // reading the first entry
  };
  const size_t entryLimit = TZipFile::kMaxEntryBytes;
  const TCase cases[] = {
      {{entryLimit}, ""},
      {{entryLimit + 1}, "\"e0\" unpacks to more than 64 MB."},
      {{60u << 20, 60u << 20, 60u << 20, 60u << 20, 60u << 20},
       "the archive unpacks to more than 256 MB; \"e0\" is not read."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Error);
    QStringList arguments{"-c", MakeZipScript, Dir.filePath("big.zip"), QString()};
    for (size_t i = 0; i < c.Sizes.size(); ++i) arguments << QStringLiteral("d:e%1:@zeros=%2").arg(i).arg(c.Sizes[i]);
    Run("/usr/bin/python3", arguments);
    const std::string bytes = ReadAll(Dir.filePath("big.zip"));
    ExpectWithinAddressSpace(entryLimit + (24u << 20), [&] {  // one copy of the entry, no more
      TZipFile zip;
      zip.LoadFromData(bytes);
      return ErrorOf<EInkloomError>(zip, 0) == c.Error;
    });
    if (c.Error.empty()) continue;
    TSite site;
    site.Write(QStringLiteral("template.zip"), bytes);
    EXPECT_EQ(site.Generate("[a.html]\nA\n$uses e0\n"), THTMLGenerator::geDamagedArchive);
    EXPECT_EQ(site.Generator.ErrorLine(), 3);
    EXPECT_EQ(site.Generator.ErrorSubject(), QDir(site.Folder).filePath("template.zip").toStdString());
    EXPECT_EQ(site.Generator.ErrorDetail(), "e0");
  }
}

}  // namespace

namespace {

// Python's zipfile writing to a stream that cannot seek back puts each entry's sizes and CRC in
// a data descriptor after its data; the local header holds zeros.
const char* const StreamZipScript = R"(
import sys, zipfile
class Stream:
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
with open(sys.argv[1], 'wb') as f:
    with zipfile.ZipFile(Stream(f), 'w') as z:
        for item in sys.argv[2:]:
            method, name, text = item.split(':', 2)
            kind = zipfile.ZIP_DEFLATED if method == 'd' else zipfile.ZIP_STORED
            z.writestr(zipfile.ZipInfo(name, date_time=(2021, 5, 4, 3, 2, 0)), text, compress_type=kind)
)";

}  // namespace

TEST_F(ZipFileTest, EntriesWithDataDescriptorsTakeTheirSizesFromTheCentralDirectory) {
  const std::string css = StyleSheet();
  Run("/usr/bin/python3", {"-c", StreamZipScript, Dir.filePath("stream.zip"), "d:index.html:<p>{content}</p>",
                           "s:raw.txt:stored text", "d:css/site.css:" + QString::fromStdString(css), "s:empty.txt:"});
  const std::string bytes = ReadAll(Dir.filePath("stream.zip"));
  ASSERT_NE(bytes.find("PK\x07\x08"), std::string::npos) << "python wrote no data descriptors";
  TZipFile zip;
  zip.LoadFromData(bytes);
  ASSERT_EQ(zip.Count(), 4);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"index.html", "<p>{content}</p>"}, {"raw.txt", "stored text"}, {"css/site.css", css}, {"empty.txt", ""}};
  for (int i = 0; i < zip.Count(); ++i) {
    EXPECT_EQ(zip.Name(i), expected[i].first);
    EXPECT_EQ(zip.Data(i), expected[i].second) << expected[i].first;
  }
  // Without its central directory the first entry's end is unknown: nothing is guessed.
  zip.LoadFromData(bytes.substr(0, bytes.find("PK\x01\x02")));
  EXPECT_EQ(zip.Count(), 0);
}
