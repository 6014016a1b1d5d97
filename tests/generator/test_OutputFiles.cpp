// What the generator does with the files it writes: a page that cannot be written or must not
// replace a file ends the build with an error at its section; each file is written once; the
// record of written files lets the next build remove the pages the project no longer has, and
// nothing else; a theme that is no archive is an error.

#include "QtPrinters.h"
#include "TestSite.h"
#include "app/BuildMode.h"
#include "generator/WrittenList.h"
#include "services/LocalStrings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>

#include <string>
#include <vector>

namespace {

std::string Record(const TSite& site, const QString& folder = QStringLiteral("html")) {
  return site.Read(folder + '/' + QLatin1String(TWrittenList::kFileName));
}

// How many times the file name below folder was modified while run ran.
template <typename TRun>
int Modifications(const QString& folder, const char* name, TRun run) {
  const int fd = inotify_init1(IN_NONBLOCK);
  inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_MODIFY | IN_CLOSE);
  run();
  int count = 0;
  alignas(inotify_event) char buffer[1 << 16];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
    for (char* at = buffer; at < buffer + got; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len) {
      const auto* event = reinterpret_cast<inotify_event*>(at);
      count += (event->mask & IN_MODIFY) && event->len && std::string(event->name) == name;
    }
  close(fd);
  return count;
}

}  // namespace

// Every page that cannot be written, or would replace the project file or a theme's own file,
// ends the build at its section, named in the message.
TEST(GeneratorOutputErrors, APageThatIsNotWrittenEndsTheBuildAtItsSection) {
  struct TCase {
    const char* Project;
    int Result;
    int Line;
    std::string Page;
  };
  const std::string longName(256, 'n');
  const TCase cases[] = {
      {"[a.html]\nA\n[{long}.html]\nX\n", THTMLGenerator::geCannotWrite, 3, longName + ".html"},
      {"[dir.html]\nA\n", THTMLGenerator::geCannotWrite, 1, "dir.html"},  // a folder stands there
      {"[a.txt]\nA\n\n[a.txt/b.html]\nB\n", THTMLGenerator::geCannotWrite, 4, "a.txt\\b.html"},
      {"$outpath blocker\\sub\n[b.html]\nB\n", THTMLGenerator::geCannotWrite, 2, "b.html"},
      {"$outpath .\n[site.iklproj]\nX\n", THTMLGenerator::geRefusedReplace, 2, "site.iklproj"},
      {"$outpath template\n[index.html]\nX\n", THTMLGenerator::geRefusedReplace, 2, "index.html"},
      {"[.inkloom-written]\nX\n", THTMLGenerator::geRefusedReplace, 1, ".inkloom-written"},
  };
  QObject owner;
  TLocalStrings strings(&owner, QStringLiteral("Generator"));
  strings.Localize(1033);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project);
    TSite site;
    site.Write(QStringLiteral("site.iklproj"), "<project/>");
    site.Write(QStringLiteral("template/index.html"), "<b>{content}</b>");
    site.Write(QStringLiteral("blocker"), "a file");
    QDir().mkpath(QDir(site.Folder).filePath(QStringLiteral("html/dir.html")));
    site.Generator.SetProjectFileName("site.iklproj");
    std::string project = c.Project;
    if (project.find("{long}") != std::string::npos) project.replace(project.find("{long}"), 6, longName);
    EXPECT_EQ(site.Generate(project), c.Result);
    EXPECT_EQ(site.Generator.ErrorLine(), c.Line);
    EXPECT_EQ(site.Generator.ErrorSubject(), c.Page);
    EXPECT_TRUE(GeneratorProblemReport(strings, site.Generator, c.Result, "site.iklproj")
                    .contains(QString::fromStdString("site.iklproj:" + std::to_string(c.Line) + ": the page \"" + c.Page)));
    EXPECT_EQ(site.Read(QStringLiteral("site.iklproj")), "<project/>");
    EXPECT_EQ(site.Read(QStringLiteral("template/index.html")), "<b>{content}</b>");
  }
}

// The pages a build wrote into its theme folder are its own: the next build may replace them.
TEST(GeneratorOutputErrors, PagesABuildWroteIntoItsThemeFolderMayBeWrittenAgain) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "<b>{content}</b>");
  const std::string project = "$outpath template\n[frame.html]\n<i>{&content}</i>\n"
                              "[a.html]\n$outpath html\n$Template frame\nA\n";
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(site.Generate(project), THTMLGenerator::geSuccess);
    EXPECT_EQ(site.Read(QStringLiteral("html/a.html")), "<b><i>A</i></b>");
  }
  EXPECT_EQ(Record(site, QStringLiteral("template")), "frame.html\n");
}

// A page given by many sections is written once, with the last one's text, and each repeat is
// reported with the line of the section before it.
TEST(GeneratorOutputFiles, APageOfManySectionsIsWrittenOnce) {
  TSite site;
  std::string project;
  for (int i = 0; i < 300; ++i) project += "[p.html]\nText " + std::to_string(i) + "\n";
  project += "[q.html]\nQ\n";
  QDir().mkpath(QDir(site.Folder).filePath(QStringLiteral("html")));
  for (int threads : {1, 4}) {
    site.Generator.SetThreadCount(threads);
    const int writes = Modifications(QDir(site.Folder).filePath(QStringLiteral("html")), "p.html",
                                     [&] { ASSERT_EQ(site.Generate(project), 0); });
    EXPECT_LE(writes, 1) << threads << " threads";
    EXPECT_EQ(site.Read(QStringLiteral("html/p.html")), "Text 299\n");
    const std::vector<TGeneratorWarning>& warnings = site.Generator.Warnings();
    ASSERT_EQ(warnings.size(), 299u);
    EXPECT_EQ(warnings[0].Kind, TGeneratorWarning::gwSectionRepeated);
    EXPECT_EQ(warnings[0].Line, 3);
    EXPECT_EQ(warnings[0].FirstLine, 1);
    EXPECT_EQ(warnings[298].Line, 599);
    EXPECT_EQ(warnings[298].FirstLine, 597);
  }
}

// A template that no theme has is reported at the directive that names it, once.
TEST(GeneratorOutputFiles, AMissingTemplateIsReportedAtItsDirective) {
  TSite site;
  site.Write(QStringLiteral("template/index.html"), "<b>{content}</b>");
  ASSERT_EQ(site.Generate("$Template nowhere\n[a.html]\nA\n[b.html]\nB\n[c.html]\n$Template index\nC\n"), 0);
  ASSERT_EQ(site.Generator.Warnings().size(), 1u);
  EXPECT_EQ(site.Generator.Warnings()[0].Kind, TGeneratorWarning::gwTemplateNotFound);
  EXPECT_EQ(site.Generator.Warnings()[0].Subject, "nowhere");
  EXPECT_EQ(site.Generator.Warnings()[0].Line, 1);
  EXPECT_EQ(site.Read(QStringLiteral("html/a.html")), "A\n");
  EXPECT_EQ(site.Read(QStringLiteral("html/c.html")), "<b>C</b>");
}

// A build removes the files the previous one wrote and it did not; never a file the record
// does not name, one outside the output folder, or one reached through a link.
TEST(GeneratorWrittenRecord, StalePagesGoAndNothingElse) {
  TSite site;
  const QDir root(site.Root.path());
  ASSERT_EQ(site.Generate("[a.html]\nA\n[old.html]\nO\n[sub/old.html]\nS\n"), 0);
  EXPECT_EQ(Record(site), "a.html\nold.html\nsub/old.html\n");
  site.Write(QStringLiteral("html/mine.html"), "the user's");
  site.Write(QStringLiteral("outside.html"), "outside");
  site.Write(QStringLiteral("elsewhere/x.html"), "through a link");
  QFile::link(root.filePath(QStringLiteral("project/elsewhere")), QDir(site.Folder).filePath(QStringLiteral("html/linked")));
  QFile::link(root.filePath(QStringLiteral("project/outside.html")), QDir(site.Folder).filePath(QStringLiteral("html/link.html")));
  site.Write(QStringLiteral("html/.inkloom-written"),
             "a.html\nold.html\nsub/old.html\n../outside.html\nlinked/x.html\nlink.html\nsub/../mine.html\n"
             "/etc/hostname\n");
  ASSERT_EQ(site.Generate("[a.html]\nA\n"), 0);
  EXPECT_FALSE(site.Exists(QStringLiteral("html/old.html")));
  EXPECT_FALSE(site.Exists(QStringLiteral("html/sub/old.html")));
  EXPECT_EQ(site.Read(QStringLiteral("html/a.html")), "A\n");
  EXPECT_EQ(site.Read(QStringLiteral("html/mine.html")), "the user's");
  EXPECT_EQ(site.Read(QStringLiteral("outside.html")), "outside");
  EXPECT_EQ(site.Read(QStringLiteral("elsewhere/x.html")), "through a link");
  EXPECT_TRUE(QFileInfo(QDir(site.Folder).filePath(QStringLiteral("html/link.html"))).isSymLink());
  EXPECT_EQ(Record(site), "a.html\n");
  // A build that fails keeps every file and names them all for the next.
  ASSERT_EQ(site.Generate("[b.html]\nB\n[c.html]\nC\n[broken\n"), THTMLGenerator::geSectionWithoutBracket);
  EXPECT_EQ(site.Read(QStringLiteral("html/a.html")), "A\n");
  EXPECT_EQ(Record(site), "b.html\na.html\n");
  // Without a record nothing is removed.
  QFile::remove(QDir(site.Folder).filePath(QStringLiteral("html/.inkloom-written")));
  ASSERT_EQ(site.Generate("[c.html]\nC\n"), 0);
  EXPECT_TRUE(site.Exists(QStringLiteral("html/a.html")));
  EXPECT_TRUE(site.Exists(QStringLiteral("html/b.html")));
  // Nor with a record that is no plain file: a FIFO would wait for ever, /dev/zero never end.
  const QString record = QDir(site.Folder).filePath(QStringLiteral("html/.inkloom-written"));
  QFile::remove(record);
  ASSERT_EQ(::mkfifo(QFile::encodeName(record).constData(), 0600), 0);
  ASSERT_EQ(site.Generate("[d.html]\nD\n"), 0);
  QFile::remove(record);
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), record));
  ASSERT_EQ(site.Generate("[e.html]\nE\n"), 0);
  EXPECT_TRUE(site.Exists(QStringLiteral("html/a.html")));
  EXPECT_TRUE(site.Exists(QStringLiteral("html/d.html")));
}

// A file given as a theme that is no zip archive, or an empty one, is an error at its directive.
TEST(GeneratorThemeArchives, AFileThatIsNoArchiveIsAnError) {
  struct TCase {
    const char* Bytes;
    size_t Size;
  };
  const TCase cases[] = {{"not a zip archive at all", 24}, {"PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22}};
  for (const TCase& c : cases) {
    TSite site;
    site.Write(QStringLiteral("broken.ikltheme"), std::string(c.Bytes, c.Size));
    EXPECT_EQ(site.Generate("[a.html]\nA\n[b.html]\n$theme broken\nB\n"), THTMLGenerator::geNotAnArchive);
    EXPECT_EQ(site.Generator.ErrorLine(), 4);
    EXPECT_EQ(site.Generator.ErrorSubject(), QDir(site.Folder).filePath("broken.ikltheme").toStdString());
    EXPECT_EQ(site.Read(QStringLiteral("html/a.html")), "A\n");
    EXPECT_FALSE(site.Exists(QStringLiteral("html/b.html")));
  }
}
