// Golden sites: whole projects in tests/generator/sites/<case>/, each generated in a temporary
// copy and compared file by file with the tree its author worked out by hand.
//
// A case folder holds:
//   project.txt or NAME.iklproj   the project (or the file named by "project" in case.txt)
//   template/, other folders      themes and anything else the project needs, copied as they are
//   themes/                       the folder of installed themes, when the case has one
//   NAME.zipsrc/                  becomes the archive NAME in the copy (NAME.zipsrc itself is not
//                                 copied): its files, deflated, in the order of their paths, or
//                                 the entries listed in its _entries.txt, one a line:
//                                     entry-name                  the file of that path
//                                     entry-name <- file          another file of the folder
//                                     stored entry-name ...       stored instead of deflated
//   expected/                     every file the generation creates, at its path relative to the
//                                 case folder (so pages are usually below expected/html/)
//   written.txt                   optional: the generator's WrittenFiles, one a line, in order
//   case.txt                      optional settings, one "key value" a line, # starts a comment:
//                                     project PATH        the project file, relative to the case
//                                     result N            the expected result code (default 0)
//                                     error-line N        the expected ErrorLine() for a result
//                                     line-breaks crlf    the project text's lines joined by CR LF,
//                                                         as the editor hands them over
//                                     optional PATH       a file that may or may not be created
//                                     warning LINE theme NAME   a warning the generation gives, in
//                                                         order (none unless listed): the theme
//                                                         NAME of line LINE was not found
//                                     warning LINE outside|template NAME, LINE repeated NAME FIRST
//                                                         the other warnings (TSiteComparison)
//
// The copy is made one level below a temporary root, so that a file written through a name that
// leads out of the project or the output folder lands inside the root and shows up as an extra
// file. Input files must come out unchanged. Every project is generated twice with the same
// generator; the second run must leave the same tree and the same WrittenFiles (nothing of a
// generation may leak into the next). Each case runs with one thread, where every step is done
// in turn, and with several, where workers convert and write the pages.

#include "SiteComparison.h"
#include "TestZip.h"
#include "generator/WrittenList.h"
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"

namespace {

QString SourcePath(const QString& relative) {
  return QDir(QStringLiteral(INKLOOM_SOURCE_DIR)).filePath(relative);
}

QString SitesFolder() { return SourcePath(QStringLiteral("tests/generator/sites")); }

std::string ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::string();
  QByteArray data = file.readAll();
  return std::string(data.constData(), static_cast<size_t>(data.size()));
}

bool WriteBytes(const QString& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
         static_cast<qint64>(bytes.size());
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every file below folder: path relative to folder ("/" separators) -> bytes.
std::map<std::string, std::string> FileTree(const QString& folder) {
  std::map<std::string, std::string> tree;
  QDir base(folder);
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QString path = it.next();
    tree[base.relativeFilePath(path).toStdString()] = ReadBytes(path);
  }
  return tree;
}

// --- Archives made at test time ------------------------------------------------------------

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return std::string();
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

struct TArchiveEntry {
  std::string Name;
  std::string Data;
  bool Stored = false;
};

// A zip archive as ordinary archivers write it: local headers with their data, the central
// directory, the end record.
std::string MakeArchive(const std::vector<TArchiveEntry>& entries) {
  std::string out, directory;
  for (const TArchiveEntry& entry : entries) {
    uint32_t crc = crc32(0L, reinterpret_cast<const Bytef*>(entry.Data.data()),
                         static_cast<uInt>(entry.Data.size()));
    std::string packed = entry.Stored ? entry.Data : RawDeflate(entry.Data);
    uint16_t method = entry.Stored ? 0 : 8;
    uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, 0);
    Put16(out, method);
    Put16(out, 0x6000);  // 12:00:00
    Put16(out, 0x5A21);  // 1 January 2025
    Put32(out, crc);
    Put32(out, static_cast<uint32_t>(packed.size()));
    Put32(out, static_cast<uint32_t>(entry.Data.size()));
    Put16(out, static_cast<uint32_t>(entry.Name.size()));
    Put16(out, 0);
    out += entry.Name;
    out += packed;

    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0);
    Put16(directory, method);
    Put16(directory, 0x6000);
    Put16(directory, 0x5A21);
    Put32(directory, crc);
    Put32(directory, static_cast<uint32_t>(packed.size()));
    Put32(directory, static_cast<uint32_t>(entry.Data.size()));
    Put16(directory, static_cast<uint32_t>(entry.Name.size()));
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += entry.Name;
  }
  AppendCentralDirectory(out, directory, entries.size());
  return out;
}

// The archive described by a NAME.zipsrc folder.
bool ArchiveFromFolder(const QString& folder, std::string& archive, std::string& error) {
  std::vector<TArchiveEntry> entries;
  QString list = QDir(folder).filePath(QStringLiteral("_entries.txt"));
  if (QFileInfo(list).isFile()) {
    for (std::string line : SplitLines(ReadBytes(list))) {
      if (line.empty() || line[0] == '#') continue;
      TArchiveEntry entry;
      if (line.rfind("stored ", 0) == 0) {
        entry.Stored = true;
        line.erase(0, 7);
      }
      std::string source = line;
      size_t arrow = line.find(" <- ");
      if (arrow != std::string::npos) {
        source = line.substr(arrow + 4);
        line.erase(arrow);
      }
      entry.Name = line;
      QString sourcePath = QDir(folder).filePath(QString::fromStdString(source));
      if (!QFileInfo(sourcePath).isFile()) {
        error = "no file " + sourcePath.toStdString() + " for the archive entry " + entry.Name;
        return false;
      }
      entry.Data = ReadBytes(sourcePath);
      entries.push_back(entry);
    }
  } else {
    for (const auto& [path, bytes] : FileTree(folder)) entries.push_back({path, bytes, false});
  }
  archive = MakeArchive(entries);
  return true;
}

// Copies a case folder into destination: archives for .zipsrc folders, and without the files
// that describe the expected result.
bool CopyCase(const QString& source, const QString& destination, bool top, std::string& error) {
  QDir().mkpath(destination);
  const QFileInfoList entries = QDir(source).entryInfoList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QFileInfo& entry : entries) {
    QString name = entry.fileName();
    if (top && (name == QLatin1String("expected") || name == QLatin1String("case.txt") ||
                name == QLatin1String("written.txt")))
      continue;
    QString target = QDir(destination).filePath(name);
    if (entry.isDir() && name.endsWith(QLatin1String(".zipsrc"))) {
      std::string archive;
      if (!ArchiveFromFolder(entry.filePath(), archive, error)) return false;
      QString archiveName = name.left(name.size() - int(sizeof(".zipsrc") - 1));
      if (!WriteBytes(QDir(destination).filePath(archiveName), archive)) {
        error = "cannot write the archive " + archiveName.toStdString();
        return false;
      }
    } else if (entry.isDir()) {
      if (!CopyCase(entry.filePath(), target, false, error)) return false;
    } else if (!QFile::copy(entry.filePath(), target)) {
      error = "cannot copy " + entry.filePath().toStdString();
      return false;
    }
  }
  return true;
}

// --- Showing differences -------------------------------------------------------------------

bool IsValidUtf8(const std::string& bytes) {
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return QString::fromUtf8(data).toUtf8() == data;
}

// One line with its invisible bytes made visible.
std::string Visible(const std::string& line, bool highBytesRaw) {
  std::string out;
  for (unsigned char c : line) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !highBytesRaw)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The lines of a text, each with its LF; the last one marked when the text does not end with LF.
std::vector<std::string> DiffLines(const std::string& text, bool highBytesRaw) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(Visible(text.substr(start), highBytesRaw) + "   <no line feed at the end>");
      break;
    }
    lines.push_back(Visible(text.substr(start, end - start), highBytesRaw));
    start = end + 1;
  }
  return lines;
}

// A line diff ("-" expected only, "+" actual only, " " both) by longest common subsequence.
std::string Diff(const std::string& expected, const std::string& actual) {
  bool raw = IsValidUtf8(expected) && IsValidUtf8(actual);
  std::vector<std::string> a = DiffLines(expected, raw), b = DiffLines(actual, raw);
  if (a.size() * b.size() > 4000000) return "  (too long to show a diff)\n";
  std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (size_t i = a.size(); i-- > 0;)
    for (size_t j = b.size(); j-- > 0;)
      common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                  : std::max(common[i + 1][j], common[i][j + 1]);
  std::string out;
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j]) {
      out += "   " + a[i++] + "\n";
      ++j;
    } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
      out += " - " + a[i++] + "\n";
    } else {
      out += " + " + b[j++] + "\n";
    }
  }
  return out;
}

// --- Running a case ------------------------------------------------------------------------

struct TCaseSettings {
  std::string Project;
  int Result = 0;
  int ErrorLine = -1;  // not checked
  bool CrLf = false;
  std::set<std::string> Optional;
  std::vector<std::string> Warnings;  // "LINE theme NAME"
};

bool ReadSettings(const QString& caseFolder, TCaseSettings& settings, std::string& error) {
  QString file = QDir(caseFolder).filePath(QStringLiteral("case.txt"));
  if (!QFileInfo(file).isFile()) return true;
  for (const std::string& line : SplitLines(ReadBytes(file))) {
    if (line.empty() || line[0] == '#') continue;
    size_t space = line.find(' ');
    std::string key = line.substr(0, space);
    std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (key == "project") {
      settings.Project = value;
    } else if (key == "result") {
      settings.Result = std::stoi(value);
    } else if (key == "error-line") {
      settings.ErrorLine = std::stoi(value);
    } else if (key == "line-breaks") {
      settings.CrLf = value == "crlf";
    } else if (key == "optional") {
      settings.Optional.insert(value);
    } else if (key == "warning") {
      settings.Warnings.push_back(value);
    } else {
      error = "case.txt: unknown key " + key;
      return false;
    }
  }
  return true;
}

// The project file of a case: the one case.txt names, else project.txt, else the only .iklproj.
QString FindProject(const QString& work, const TCaseSettings& settings) {
  if (!settings.Project.empty()) return QDir(work).filePath(QString::fromStdString(settings.Project));
  QString text = QDir(work).filePath(QStringLiteral("project.txt"));
  if (QFileInfo(text).isFile()) return text;
  const QStringList projects = QDir(work).entryList({QStringLiteral("*.iklproj")}, QDir::Files);
  return projects.size() == 1 ? QDir(work).filePath(projects.first()) : QString();
}

QString ProjectText(const QString& projectFile, bool crlf) {
  QString text;
  if (projectFile.endsWith(QLatin1String(".iklproj")))
    text = TProjectFile::Read(projectFile).Text;
  else
    text = QString::fromUtf8(QByteArray::fromStdString(ReadBytes(projectFile)));
  if (crlf) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  }
  return text;
}

// Compares the tree below root with the expected one; every problem is one paragraph.
std::string CompareTrees(const std::map<std::string, std::string>& expected,
                         const std::map<std::string, std::string>& actual,
                         const std::set<std::string>& optional) {
  std::string report;
  for (const auto& [path, bytes] : expected) {
    auto found = actual.find(path);
    if (found == actual.end()) {
      if (!optional.count(path)) report += "missing file: " + path + "\n";
    } else if (found->second != bytes) {
      report += "different file: " + path + " (- expected, + written)\n" +
                Diff(bytes, found->second);
    }
  }
  for (const auto& [path, bytes] : actual) {
    // The record of written files is checked where a case lists it.
    const bool record = QFileInfo(QString::fromStdString(path)).fileName() == TWrittenList::kFileName;
    if (!expected.count(path) && !optional.count(path) && !record)
      report += "extra file: " + path + "\n" + Diff(std::string(), bytes);
  }
  return report;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  const QStringList folders =
      QDir(SitesFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& folder : folders) names.push_back(folder.toStdString());
  return names;
}

class GoldenSite : public testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(GoldenSite, GeneratesTheExpectedFiles) {
  const auto& [caseName, threads] = GetParam();
  const QString caseFolder = QDir(SitesFolder()).filePath(QString::fromStdString(caseName));
  TCaseSettings settings;
  std::string error;
  ASSERT_TRUE(ReadSettings(caseFolder, settings, error)) << error;

  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString work = root.filePath(QStringLiteral("work"));
  ASSERT_TRUE(CopyCase(caseFolder, work, true, error)) << error;
  const QString projectFile = FindProject(work, settings);
  ASSERT_TRUE(QFileInfo(projectFile).isFile()) << "no project file in " << caseFolder.toStdString();

  // What must be below the root afterwards: the inputs, unchanged, and the expected files.
  std::map<std::string, std::string> expected = FileTree(root.path());
  const QString expectedFolder = QDir(caseFolder).filePath(QStringLiteral("expected"));
  if (QFileInfo(expectedFolder).isDir())
    for (const auto& [path, bytes] : FileTree(expectedFolder)) expected["work/" + path] = bytes;
  std::set<std::string> optional;
  for (const std::string& path : settings.Optional) optional.insert("work/" + path);

  std::vector<std::string> written;
  const QString writtenFile = QDir(caseFolder).filePath(QStringLiteral("written.txt"));
  const bool checkWritten = QFileInfo(writtenFile).isFile();
  if (checkWritten) written = SplitLines(ReadBytes(writtenFile));

  const QString themes = QDir(work).filePath(QStringLiteral("themes"));
  const QString text = ProjectText(projectFile, settings.CrLf);
  THTMLGenerator generator;
  generator.SetThreadCount(threads);
  generator.SetProjectFolder(QFileInfo(projectFile).absolutePath().toStdString());
  // Without a themes folder of its own the case gets one that does not exist, so that nothing
  // of the machine's is found.
  generator.SetThemesFolder(QFileInfo(themes).isDir()
                                ? themes.toStdString()
                                : root.filePath(QStringLiteral("no-themes")).toStdString());

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("generation " + std::to_string(run));
    int result = -1;
    try {
      result = generator.Generate(text);
    } catch (const EInkloomError& e) {
      FAIL() << "Generate raised: " << e.what();
    }
    EXPECT_EQ(result, settings.Result);
    if (settings.ErrorLine >= 0) {
      EXPECT_EQ(generator.ErrorLine(), settings.ErrorLine);
    }
    EXPECT_TRUE(QFileInfo(FileSystemPath(generator.GetOutputFolder())).isDir())
        << "no output folder " << generator.GetOutputFolder();

    std::string report = CompareTrees(expected, FileTree(root.path()), optional);
    EXPECT_TRUE(report.empty()) << "paths below the temporary root:\n" << report;

    std::vector<std::string> warnings;
    for (const TGeneratorWarning& warning : generator.Warnings())
      warnings.push_back(TSiteComparison::Describe(warning));
    EXPECT_EQ(warnings, settings.Warnings);

    if (checkWritten) {
      std::vector<std::string> actual = generator.WrittenFiles();
      std::string shown;
      for (const std::string& name : actual) shown += "  " + name + "\n";
      EXPECT_EQ(actual, written) << "WrittenFiles:\n" << shown;
    }
  }
}

std::string CaseTestName(const testing::TestParamInfo<std::tuple<std::string, int>>& info) {
  std::string name;
  for (char c : std::get<0>(info.param)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name + "_threads" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(GoldenSites, GoldenSite,
                         testing::Combine(testing::ValuesIn(CaseNames()), testing::Values(1, 4)),
                         CaseTestName);

TEST(GoldenSiteCases, AreThere) {
  // A moved or empty folder would otherwise pass without running anything.
  EXPECT_GE(CaseNames().size(), 20u) << SitesFolder().toStdString();
}

// The sample project builds as "inkloom --build" builds it, and gives its pages, its include
// files and its feed.
TEST(GoldenSiteSample, BuildsWithoutErrors) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString copy = root.filePath(QStringLiteral("sample"));
  std::string error;
  ASSERT_TRUE(CopyCase(SourcePath(QStringLiteral("examples/sample")), copy, false, error)) << error;
  // A build left in the source folder is not part of the sample.
  QDir(QDir(copy).filePath(QStringLiteral("html"))).removeRecursively();

  const QString project = QDir(copy).filePath(QStringLiteral("sample.iklproj"));
  ASSERT_TRUE(QFileInfo(project).isFile());
  EXPECT_EQ(RunBuild(project, root.filePath(QStringLiteral("no-themes"))), 0);

  const QDir html(QDir(copy).filePath(QStringLiteral("html")));
  for (const char* file : {"index.html", "docs/guide.html", "menu.inc", "hours.inc", "news.xml", "style.css"})
    EXPECT_TRUE(QFileInfo(html.filePath(QLatin1String(file))).isFile()) << file;
  std::string index = ReadBytes(html.filePath(QStringLiteral("index.html")));
  EXPECT_NE(index.find("<title>"), std::string::npos);
  EXPECT_EQ(index.find("{content}"), std::string::npos);
  std::string feed = ReadBytes(html.filePath(QStringLiteral("news.xml")));
  EXPECT_EQ(feed.rfind("<?xml", 0), 0u) << feed.substr(0, 80);
}

}  // namespace
