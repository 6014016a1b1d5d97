// Workers convert and write the pages, but a generation must come out exactly as it does on one
// thread, where every step is done in turn: the same files with the same bytes, WrittenFiles in
// the same order, the same warnings, index page, variables, result and error. These tests run
// random projects (TProjectMaker) and projects made to reach the places where order matters
// with one thread and with several, and compare everything a caller can see.

#include "ProjectMaker.h"
#include "SiteComparison.h"
#include "generator/Generator.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>

namespace {

class ThreadedGeneration : public testing::Test {
 protected:
  QTemporaryDir Root;

  TGenerationRecord Run(const std::string& text, int threads) {
    return TSiteComparison::Generate(text, threads,
                                     Root.filePath(QStringLiteral("threads%1").arg(threads)));
  }

  // The record of one thread, after checking that several give the same.
  TGenerationRecord ExpectSameOnThreads(const std::string& text) {
    TGenerationRecord one = Run(text, 1);
    for (int threads : {2, 3, 8}) {
      const std::string difference = TSiteComparison::Difference(one, Run(text, threads));
      EXPECT_TRUE(difference.empty()) << threads << " threads, project:\n" << text << "\n" << difference;
    }
    return one;
  }
};

TEST_F(ThreadedGeneration, RandomProjectsComeOutAsOnOneThread) {
  int raised = 0, stopped = 0, written = 0, failures = 0;
  for (uint32_t seed = 1; seed <= 150 && failures < 3; ++seed) {
    const std::string text = TProjectMaker(seed).Make();
    const TGenerationRecord one = Run(text, 1);
    for (int threads : {2, 5}) {
      const std::string difference = TSiteComparison::Difference(one, Run(text, threads));
      if (difference.empty()) continue;
      ++failures;
      ADD_FAILURE() << "seed " << seed << ", " << threads << " threads, project:\n"
                    << text << "\n" << difference;
      break;
    }
    raised += one.Result == THTMLGenerator::geDamagedArchive || one.Result == THTMLGenerator::geCannotWrite;
    stopped += one.Result != 0 ? 1 : 0;
    written += static_cast<int>(one.Written.size());
  }
  // The projects reach what they are made for: damaged archives and files that cannot be
  // written, errors, many files.
  EXPECT_GT(raised, 0);
  EXPECT_GT(stopped, 0);
  EXPECT_GT(written, 500);
}

// The later section's file replaces the earlier one, however many pages lie between them.
TEST_F(ThreadedGeneration, AFileWrittenTwiceKeepsTheLaterText) {
  std::string text;
  for (int round = 0; round < 3; ++round)
    for (int page = 0; page < 40; ++page)
      text += "[p" + std::to_string(page) + (round == 1 ? ".HTML" : ".html") + "]\nround " +
              std::to_string(round) + "\n";
  const TGenerationRecord one = ExpectSameOnThreads(text);
  EXPECT_NE(one.Files.at("html/p7.html").find("<body>round 2<"), std::string::npos);
  EXPECT_NE(one.Files.at("html/p7.HTML").find("<body>round 1<"), std::string::npos);
  EXPECT_EQ(one.Written.front(), "p0.html");
  EXPECT_EQ(one.Written.size(), 40u + 3u);  // each name once, and the theme's style sheet and images
}

// INDEX is the first page written: a page that leads out of the output folder does not count,
// and a page being written when INDEX is asked for does.
TEST_F(ThreadedGeneration, IndexWaitsForThePagesBeforeIt) {
  const std::string text =
      "$Template other\n[a.txt]\nA\n[../first.html]\nF\n[second.html]\nS\n[third.html]\nT\n"
      "[fourth.php]\n{INDEX}\n";
  const TGenerationRecord one = ExpectSameOnThreads(text);
  EXPECT_EQ(one.Files.at("html/second.html").substr(0, 9), "<p>a.txt|");
  EXPECT_EQ(one.Files.at("html/third.html").substr(0, 15), "<p>second.html|");
  EXPECT_EQ(one.IndexPage, "second.html");
}

// A resource named by $uses comes after those of the pages before it, and a theme change copies
// what the pages written with the theme it leaves refer to.
TEST_F(ThreadedGeneration, ResourcesKeepTheOrderOfThePages) {
  std::string text;
  for (int page = 0; page < 30; ++page) {
    text += "[p" + std::to_string(page) + ".html]\n<img src=\"img/i" + std::to_string(page) + ".png\">\n";
    if (page % 7 == 3) text += "$uses css\\*.css\n";
    if (page == 15) text += "$theme blue\n";
    if (page == 22) text += "$theme template\n";
  }
  const TGenerationRecord one = ExpectSameOnThreads(text);
  EXPECT_TRUE(one.Files.count("html/css/a.css"));
  EXPECT_TRUE(one.Files.count("html/bg.gif"));
}

// A style sheet of an archive theme that fails its check ends the generation where the page that
// names it is written: that page and the pages before it are there, the pages after it are not.
// (The theme changes inside the last "a" section, which is then written with it.)
TEST_F(ThreadedGeneration, ADamagedStyleSheetEndsTheGenerationAtItsPage) {
  std::string text = "$theme packed\n";
  for (int page = 0; page < 20; ++page) text += "[a" + std::to_string(page) + ".html]\nA\n";
  text += "$theme damaged\n";
  for (int page = 0; page < 20; ++page) text += "[b" + std::to_string(page) + ".html]\nB\n";
  const TGenerationRecord one = ExpectSameOnThreads(text);
  EXPECT_EQ(one.Result, THTMLGenerator::geDamagedArchive);
  EXPECT_EQ(one.ErrorSubject, "damaged.zip|style.css");
  EXPECT_EQ(one.ErrorLine, 40);
  EXPECT_TRUE(one.Files.count("html/a18.html"));
  EXPECT_EQ(one.Files.at("html/a19.html"), "<link rel=\"stylesheet\" href=\"style.css\">A");
  EXPECT_FALSE(one.Files.count("html/b0.html"));
  // The pages before the change took their resources from the sound archive.
  EXPECT_EQ(one.Files.at("html/img/z.png"), "Z");
  EXPECT_EQ(one.Written.size(), 20u + 2u);
}

// A page's content goes into its template on a worker only while the expansion would have taken
// it all; beyond its limit (32 MB examined) the content goes in as it is, and the generation
// runs again on one thread to do that.
TEST_F(ThreadedGeneration, ContentBeyondTheExpansionLimitGoesInAsOnOneThread) {
  const std::string line(999, 'x');
  std::string body;
  while (body.size() < (size_t(17) << 20)) body += line + "\n";
  const std::string text = "[big.html]\n$Template <p>{&content}</p>{&content}\n" + body;
  const TGenerationRecord one = ExpectSameOnThreads(text);
  const std::string& page = one.Files.at("html/big.html");
  // The first time rejoined (no line break at its end), the second time as converted.
  EXPECT_EQ(page.substr(page.size() - 1), "\n");
  EXPECT_NE(page.find("x</p>x"), std::string::npos);
}

// Markup or values holding braces, fragments and templates that want the content inside a value
// are done on the generator's thread; they must still reach the disk in their turn.
TEST_F(ThreadedGeneration, PagesDoneOnTheGeneratorsThreadKeepTheirTurn) {
  std::string text = "$box <b>{&content}</b>\n[menu]\n* {link}\n";
  for (int page = 0; page < 30; ++page) {
    const std::string name = "[p" + std::to_string(page % 10) + ".html]\n";
    text += name + (page % 3 == 0 ? "$Template <i>{&box}</i>\n" : "") + (page % 4 == 0 ? "{&NAME}\n" : "Plain\n");
  }
  ExpectSameOnThreads(text);
}

// A page written into the theme's folder is a template for the pages after it: each lookup sees
// the pages written before it, never a previous build's copy.
TEST_F(ThreadedGeneration, TemplatesMadeByEarlierPagesAreSeenByTheLaterOnes) {
  std::string text = "$outpath template\n";
  for (int page = 0; page < 40; ++page) {
    const std::string n = std::to_string(page);
    text += "[f" + n + ".html]\n" + (page ? "$Template f" + std::to_string(page - 1) + "\n" : "") +
            "<i>" + n + "{&content}</i>\n";
  }
  const TGenerationRecord one = ExpectSameOnThreads(text);
  const std::string& last = one.Files.at("template/f39.html");
  size_t nested = 0;
  for (size_t at = last.find("<i>"); at != std::string::npos; at = last.find("<i>", at + 1)) ++nested;
  EXPECT_EQ(nested, 40u);
}

}  // namespace
