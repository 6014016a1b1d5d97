#include "preview/IncludeExpander.h"

#include "SiteFolder.h"

#include <QFile>

namespace {

class IncludeExpander : public ::testing::Test {
 protected:
  TSiteFolder Site;
  TOutputFolder Output{Site.Path(QStringLiteral("html"))};

  void SetUp() override {
    Site.Write(QStringLiteral("html/menu.html"), "[menu]");
    Site.Write(QStringLiteral("outside.txt"), "SECRET");
  }
  QByteArray Expand(const QByteArray& page, int maxSubstitutions = 1000,
                    qsizetype maxSize = TIncludeExpander::DefaultMaxSize) const {
    return TIncludeExpander(Output, maxSubstitutions, maxSize).Expand(page);
  }
};

}  // namespace

TEST_F(IncludeExpander, ExpandsBothPhpFormsAndLeavesInexactOnes) {
  EXPECT_EQ(Expand("a<?php include('menu.html') ?>b"), QByteArray("a[menu]b"));
  EXPECT_EQ(Expand("<?php include_once(\"menu.html\")?>"), QByteArray("[menu]"));
  EXPECT_EQ(Expand("<?PHP\tInclude_Once (\n 'menu.html\" )\r\n?>"), QByteArray("[menu]"));
  for (const char* untouched : {
           "<?php include('menu.html'); ?>",  // the statement ends with a semicolon
           "<?php include 'menu.html' ?>",    // no parentheses
           "<?phpinclude('menu.html') ?>",    // no space after php
           "<?php require('menu.html') ?>",
           "<?php include(menu.html) ?>",     // no quotes
           "<?php include('a b.html') ?>",    // a space in the name
           "<?php include('sub\\menu.html') ?>"})
    EXPECT_EQ(Expand(untouched), QByteArray(untouched)) << untouched;
}

TEST_F(IncludeExpander, ExpandsBothSsiKindsFromTheOutputFolderAndLeavesInexactOnes) {
  Site.Write(QStringLiteral("html/sub/menu.html"), "[sub menu]");
  EXPECT_EQ(Expand("<!--#include file=\"menu.html\" -->"), QByteArray("[menu]"));
  EXPECT_EQ(Expand("<!-- #include virtual=\"/menu.html\" -->"), QByteArray("[menu]"));
  EXPECT_EQ(Expand("<!--#INCLUDE FILE = \"sub/menu.html\"-->"), QByteArray("[sub menu]"));
  EXPECT_EQ(Expand("x<!--\n#include\tvirtual=\"sub/./menu.html\"\f-->y"), QByteArray("x[sub menu]y"));
  for (const char* untouched : {
           "<!--#include file=\"a b.html\" -->",
           "<!--#include file='menu.html' -->",  // single quotes are PHP's only
           "<!--#include exec=\"menu.html\" -->",
           "<!--#includefile=\"menu.html\" -->",
           "<!--#include file=\"menu.html\" ->",
           "<!--#include file=\"%2e%2e/outside.txt\" -->"})
    EXPECT_EQ(Expand(untouched), QByteArray(untouched)) << untouched;
}

TEST_F(IncludeExpander, RemovesDirectivesWhoseFileIsMissingOrOutsideTheFolder) {
  Site.Write(QStringLiteral("html/sub/x.html"), "X");
  EXPECT_EQ(Expand("a<!--#include file=\"none.html\" -->b<?php include('none.php') ?>c"),
            QByteArray("abc"));
  EXPECT_EQ(Expand("<!--#include file=\"sub\" -->"), QByteArray());  // a folder
  for (const char* escape : {"../outside.txt", "sub/../../outside.txt", "/../outside.txt",
                             "./../outside.txt", "//../outside.txt"}) {
    EXPECT_EQ(Expand("[<!--#include file=\"" + QByteArray(escape) + "\" -->]"), QByteArray("[]"))
        << escape;
    EXPECT_EQ(Expand("[<?php include('" + QByteArray(escape) + "') ?>]"), QByteArray("[]")) << escape;
  }
  // Climbing and coming back down inside the folder is harmless.
  EXPECT_EQ(Expand("<!--#include file=\"sub/../sub/x.html\" -->"), QByteArray("X"));
  // An absolute path is taken below the output folder.
  EXPECT_EQ(Expand(("<!--#include file=\"" + Site.Path(QStringLiteral("outside.txt")) + "\" -->").toUtf8()),
            QByteArray());
  // A link inside the folder that leads out of it is not followed.
  ASSERT_TRUE(QFile::link(Site.Path(QStringLiteral("outside.txt")), Site.Path(QStringLiteral("html/link.txt"))));
  EXPECT_EQ(Expand("<!--#include file=\"link.txt\" -->"), QByteArray());
}

TEST_F(IncludeExpander, NestsThroughBothPassesButNotPhpInsideSsi) {
  Site.Write(QStringLiteral("html/php.inc"), "(<?php include('menu.html') ?>|<!--#include file=\"ssi.inc\"-->)");
  Site.Write(QStringLiteral("html/ssi.inc"), "{<!--#include file=\"menu.html\"-->}");
  Site.Write(QStringLiteral("html/late.inc"), "<?php include('menu.html') ?>");
  Site.Write(QStringLiteral("html/sub/page.inc"), "<!--#include virtual=\"menu.html\"-->");
  EXPECT_EQ(Expand("<?php include('php.inc') ?>"), QByteArray("([menu]|{[menu]})"));
  EXPECT_EQ(Expand("<!--#include file=\"late.inc\"-->"), QByteArray("<?php include('menu.html') ?>"));
  // Paths are taken from the output folder, never from the including file's folder.
  EXPECT_EQ(Expand("<!--#include file=\"sub/page.inc\"-->"), QByteArray("[menu]"));
}

TEST_F(IncludeExpander, ADirectiveCompletedByIncludedTextIsExpanded) {
  // Each search starts again from the beginning of the text.
  Site.Write(QStringLiteral("html/tail.inc"), "\"menu.html\"-->");
  EXPECT_EQ(Expand("<!--#include file=<!--#include file=\"tail.inc\"-->"), QByteArray("[menu]"));
}

TEST_F(IncludeExpander, ACycleStopsAtTheLimitWithWhatItHas) {
  Site.Write(QStringLiteral("html/self.inc"), "x<!--#include file=\"self.inc\"-->");
  EXPECT_EQ(Expand("<!--#include file=\"self.inc\"-->", 3), QByteArray("xxx<!--#include file=\"self.inc\"-->"));
  Site.Write(QStringLiteral("html/ping.inc"), "<?php include('pong.inc') ?>");
  Site.Write(QStringLiteral("html/pong.inc"), "q<?php include('ping.inc') ?>");
  const QByteArray expanded = Expand("<?php include('ping.inc') ?><!--#include file=\"menu.html\"-->");
  // A thousand substitutions, half of them bringing a "q"; the limit ends both passes.
  EXPECT_EQ(expanded, QByteArray(500, 'q') + "<?php include('ping.inc') ?><!--#include file=\"menu.html\"-->");
}

TEST_F(IncludeExpander, HostileInputStaysBounded) {
  // Deep nesting: a chain of files, each including the next.
  for (int i = 0; i < 300; ++i)
    Site.Write(QStringLiteral("html/chain/%1.inc").arg(i),
               QStringLiteral("%1,<!--#include file=\"chain/%2.inc\"-->").arg(i).arg(i + 1).toUtf8());
  const QByteArray chain = Expand("<!--#include file=\"chain/0.inc\"-->");
  EXPECT_TRUE(chain.startsWith("0,1,2,"));
  EXPECT_TRUE(chain.endsWith(",299,"));

  // A big file included over and over stops below the size limit.
  Site.Write(QStringLiteral("html/big.inc"), QByteArray(1 << 20, 'Z') + "<?php include('big.inc') ?>");
  const QByteArray big = Expand("<?php include('big.inc') ?>", 1000, 4 << 20);
  EXPECT_LE(big.size(), 4 << 20);
  EXPECT_EQ(big.count('Z'), 3 << 20);

  // Thousands of directives in a large page: the first thousand go, the rest stay.
  QByteArray many(2 << 20, ' ');
  for (int i = 0; i < 3000; ++i) many += "<!--#include file=\"none\"-->";
  const QByteArray left = Expand(many);
  EXPECT_EQ(left.count("<!--"), 2000);

  // A very long name and a name of dots.
  EXPECT_EQ(Expand("<!--#include file=\"" + QByteArray(100000, 'n') + "\"-->"), QByteArray());
  EXPECT_EQ(Expand("<!--#include file=\"" + QByteArray(5000, '.') + "\"-->"), QByteArray());
}

TEST_F(IncludeExpander, KeepsEveryByteOfPageAndIncludedFile) {
  QByteArray binary;
  for (int i = 0; i < 256; ++i) binary += char(i);
  Site.Write(QStringLiteral("html/binary.inc"), binary);
  EXPECT_EQ(Expand(binary + "<!--#include file=\"binary.inc\"-->" + binary), binary + binary + binary);
}
