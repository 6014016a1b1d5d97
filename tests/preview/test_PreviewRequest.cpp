#include "preview/PreviewRequest.h"
#include "preview/MissingPage.h"

#include "SiteFolder.h"

#include <QFile>

namespace {

class PreviewRequest : public ::testing::Test {
 protected:
  TSiteFolder Site;
  TOutputFolder Output{Site.Path(QStringLiteral("html"))};

  void SetUp() override {
    for (const char* name : {"html/index.html", "html/home.html", "html/sub/index.html",
                             "html/sub/page.html", "html/about/index.html", "outside.txt"})
      Site.Write(QLatin1String(name), name);
  }
  // The file that answers, relative to the output folder; "-" for none.
  QString Answer(const QString& path, const QString& indexPage = QString()) const {
    const QString file = TPreviewRequest(Output, indexPage).FileFor(path);
    return file.isEmpty() ? QStringLiteral("-") : file.mid(Output.Root().size());
  }
};

}  // namespace

TEST_F(PreviewRequest, TakesThePathOfAPreviewUrl) {
  EXPECT_EQ(TPreviewRequest::PathOfUrl(QStringLiteral("preview:")), QString());
  EXPECT_EQ(TPreviewRequest::PathOfUrl(QStringLiteral("preview:sub/")), QStringLiteral("sub/"));
  EXPECT_EQ(TPreviewRequest::PathOfUrl(QStringLiteral("preview:/sub/page.html?x=1#top")),
            QStringLiteral("/sub/page.html"));
  EXPECT_EQ(TPreviewRequest::PathOfUrl(QStringLiteral("preview:about#a:b")), QStringLiteral("about"));
}

TEST_F(PreviewRequest, SendsUrlsWithoutASlashToTheHierarchicalForm) {
  EXPECT_EQ(TPreviewRequest::RedirectOfUrl(QStringLiteral("preview:sub/page.html")),
            QStringLiteral("preview:/sub/page.html"));
  EXPECT_EQ(TPreviewRequest::RedirectOfUrl(QStringLiteral("preview:")), QStringLiteral("preview:/"));
  EXPECT_EQ(TPreviewRequest::RedirectOfUrl(QStringLiteral("preview:/sub/page.html")), QString());
  // Both forms name the same file.
  EXPECT_EQ(Answer(TPreviewRequest::PathOfUrl(QStringLiteral("preview:sub/page.html"))),
            Answer(TPreviewRequest::PathOfUrl(QStringLiteral("preview:/sub/page.html"))));
}

TEST_F(PreviewRequest, MapsPathsToFilesWithTheDefaultDocumentAppended) {
  EXPECT_EQ(Answer(QString()), QStringLiteral("index.html"));
  EXPECT_EQ(Answer(QStringLiteral("/")), QStringLiteral("index.html"));
  EXPECT_EQ(Answer(QStringLiteral("index.html")), QStringLiteral("index.html"));
  EXPECT_EQ(Answer(QStringLiteral("sub/")), QStringLiteral("sub/index.html"));
  EXPECT_EQ(Answer(QStringLiteral("/sub/page.html")), QStringLiteral("sub/page.html"));
  EXPECT_EQ(Answer(QStringLiteral("sub%2Fp%61ge.html")), QStringLiteral("sub/page.html"));
  // Appended directly: "about" looks for "aboutindex.html".
  EXPECT_EQ(Answer(QStringLiteral("about")), QStringLiteral("-"));
  Site.Write(QStringLiteral("html/aboutindex.html"), "x");
  EXPECT_EQ(Answer(QStringLiteral("about")), QStringLiteral("aboutindex.html"));
  EXPECT_EQ(Answer(QStringLiteral("none.html")), QStringLiteral("-"));
}

TEST_F(PreviewRequest, TheSitesIndexHtmlAnswersTheFolderElseTheIndexPage) {
  // As a web server: the folder's own index.html first.
  EXPECT_EQ(Answer(QString(), QStringLiteral("home.html")), QStringLiteral("index.html"));
  EXPECT_EQ(Answer(QStringLiteral("/"), QStringLiteral("home.html")), QStringLiteral("index.html"));
  EXPECT_EQ(Answer(QStringLiteral("sub/"), QStringLiteral("home.html")), QStringLiteral("sub/index.html"));
  QFile::remove(Site.Path(QStringLiteral("html/index.html")));
  EXPECT_EQ(Answer(QStringLiteral("/"), QStringLiteral("home.html")), QStringLiteral("home.html"));
  EXPECT_EQ(Answer(QString(), QStringLiteral("home.html")), QStringLiteral("home.html"));
  EXPECT_EQ(Answer(QStringLiteral("/"), QStringLiteral("gone.html")), QStringLiteral("-"));
  EXPECT_EQ(Answer(QStringLiteral("/"), QStringLiteral("../outside.txt")), QStringLiteral("-"));
}

TEST_F(PreviewRequest, PathsLeadingOutsideTheFolderAreNotFound) {
  const QString absolute = Site.Path(QStringLiteral("outside.txt"));
  for (const QString& escape :
       {QStringLiteral("../outside.txt"), QStringLiteral("/../outside.txt"),
        QStringLiteral("%2e%2e/outside.txt"), QStringLiteral("%2E%2E%2Foutside.txt"),
        QStringLiteral("sub/%2e%2e/%2e%2e/outside.txt"), QStringLiteral("..%5Coutside.txt"),
        QStringLiteral("sub\\..\\..\\outside.txt"), QStringLiteral("index.html%00"),
        QStringLiteral("index.html%00.png"), QStringLiteral("%00"), absolute,
        QStringLiteral("/etc/passwd"), QStringLiteral("%2Fetc%2Fpasswd")})
    EXPECT_EQ(Answer(escape), QStringLiteral("-")) << escape.toStdString();
  EXPECT_EQ(Answer(QStringLiteral("sub/../index.html")), QStringLiteral("index.html"));
}

TEST_F(PreviewRequest, AFolderAskedWithoutItsSlashIsSentToTheFolder) {
  const TPreviewRequest request(Output, QString());
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("sub")), QStringLiteral("sub/"));
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("/sub")), QStringLiteral("/sub/"));
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("%73ub")), QStringLiteral("%73ub/"));
  // A folder without an index is sent on too: asking for it then finds nothing.
  Site.Write(QStringLiteral("html/empty/x.png"), "x");
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("empty")), QStringLiteral("empty/"));
  // Not a folder, a folder asked properly, or a file that answers first.
  for (const char* none : {"", "/", "sub/", "sub%2F", "none", "index.html", "sub/page.html",
                           "sub/..", "..", "%2e%2e", "../html", "sub%00", "/tmp"})
    EXPECT_EQ(request.FolderRedirect(QLatin1String(none)), QString()) << none;
  // The rule for names without a slash keeps its place: "about" is not a file but "aboutindex.html" is.
  Site.Write(QStringLiteral("html/aboutindex.html"), "x");
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("about")), QString());
  // A link inside that leads to a folder outside is no folder of the site.
  ASSERT_TRUE(QFile::link(Site.Path(), Site.Path(QStringLiteral("html/up"))));
  EXPECT_EQ(request.FolderRedirect(QStringLiteral("up")), QString());
}

TEST_F(PreviewRequest, RecognisesHtmlByTheGeneratorsPageKindsThenByName) {
  for (const char* page : {"a.html", "a.HTM", "sub/a.shtml", "a.php"})
    EXPECT_TRUE(TPreviewRequest::IsHtml(QLatin1String(page), "plain words")) << page;
  for (const char* other : {"style.css", "script.js", "logo.png", "feed.xml", "notes.txt"})
    EXPECT_FALSE(TPreviewRequest::IsHtml(QLatin1String(other), "<!--#include file=\"x\"-->")) << other;
  EXPECT_TRUE(TPreviewRequest::IsHtml(QStringLiteral("sub/page"), "<!DOCTYPE html>\n<html>"));
  EXPECT_FALSE(TPreviewRequest::IsHtml(QStringLiteral("sub/page"), "just text"));
}

TEST_F(PreviewRequest, GivesEveryFileAContentType) {
  Site.Write(QStringLiteral("html/style.css"), "body{}");
  Site.Write(QStringLiteral("html/data"), QByteArray("\x00\x01\x02", 3));
  EXPECT_EQ(TPreviewRequest::ContentType(Site.Path(QStringLiteral("html/index.html")), true), "text/html");
  EXPECT_EQ(TPreviewRequest::ContentType(Site.Path(QStringLiteral("html/style.css")), false), "text/css");
  EXPECT_EQ(TPreviewRequest::ContentType(QStringLiteral("logo.png"), false), "image/png");
  EXPECT_TRUE(TPreviewRequest::ContentType(QStringLiteral("app.js"), false).contains("javascript"));
  EXPECT_EQ(TPreviewRequest::ContentType(Site.Path(QStringLiteral("html/data")), false),
            "application/octet-stream");
}

// A page the site lacks is named, with the section that would make it; other files are not.
TEST(MissingPage, NamesThePageAndItsSection) {
  const struct {
    const char* Path;
    const char* Page;
  } cases[] = {
      {"/sub/a%20b.html", "sub/a b.html"}, {"", "index.html"}, {"/posts/", "posts/index.html"},
      {"/about", "about"},                 {"/img/logo.png", ""}, {"/style.css", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TMissingPage::PageName(QLatin1String(c.Path)), QLatin1String(c.Page)) << c.Path;
  const QByteArray html = TMissingPage::Html(QStringLiteral("a<b>.html"), QStringLiteral("Нет"), QStringLiteral("No %s: add %s."));
  EXPECT_TRUE(html.contains("<title>Нет</title>")) << html.constData();
  EXPECT_TRUE(html.contains("No a&lt;b&gt;.html: add [a&lt;b&gt;.html].")) << html.constData();
}
