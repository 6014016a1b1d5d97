#include "preview/SSIPreview.h"

#include "EncodingSite.h"
#include "SiteFolder.h"
#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/MiscUtils.h"

namespace {

class SSIPreviewModule : public ::testing::Test {
 protected:
  TSiteFolder Site;
  TSSIPreviewModule Module;
  static constexpr char PngBytes[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR<!--#include file=\"menu.html\"-->";
  const QByteArray Png{PngBytes, sizeof PngBytes - 1};

  void SetUp() override {
    Site.Write(QStringLiteral("html/menu.html"), "<ul>menu</ul>");
    Site.Write(QStringLiteral("html/sub/page.html"),
               "<html><!--#include virtual=\"/menu.html\"--><link href=\"../style.css\"></html>");
    Site.Write(QStringLiteral("html/style.css"), "<!--#include file=\"menu.html\"-->body{}");
    Site.Write(QStringLiteral("html/img/logo.png"), Png);
    Module.SetPreviewFolder(Site.Path(QStringLiteral("html/")));
  }
  static QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
  }
};

}  // namespace

TEST_F(SSIPreviewModule, ServesPagesExpandedAndOtherFilesByteForByte) {
  const TPreviewAnswer page = Module.Answer(QStringLiteral("/sub/page.html"));
  ASSERT_TRUE(page.Found);
  EXPECT_EQ(page.ContentType, "text/html; charset=utf-8");
  EXPECT_EQ(page.Body, QByteArray("<html><ul>menu</ul><link href=\"../style.css\"></html>"));
  // Serving writes nothing.
  EXPECT_EQ(Site.Read(QStringLiteral("html/sub/page.html")),
            QByteArray("<html><!--#include virtual=\"/menu.html\"--><link href=\"../style.css\"></html>"));

  const TPreviewAnswer style = Module.Answer(QStringLiteral("style.css"));
  ASSERT_TRUE(style.Found);
  EXPECT_EQ(style.ContentType, "text/css; charset=utf-8");
  EXPECT_TRUE(style.Body.isEmpty());  // sent from the file, as it is
  EXPECT_EQ(Read(style.File), Site.Read(QStringLiteral("html/style.css")));

  const TPreviewAnswer image = Module.Answer(QStringLiteral("img/logo.png"));
  ASSERT_TRUE(image.Found);
  EXPECT_EQ(image.ContentType, "image/png");
  EXPECT_EQ(Read(image.File), Png);
  EXPECT_TRUE(page.File.isEmpty());
}

TEST_F(SSIPreviewModule, FindsNothingOutsideTheFolderOrWithoutOne) {
  Site.Write(QStringLiteral("secret.html"), "secret");
  EXPECT_FALSE(Module.Answer(QStringLiteral("../secret.html")).Found);
  EXPECT_FALSE(Module.Answer(QStringLiteral("sub/%2e%2e/%2E%2E/secret.html")).Found);
  EXPECT_FALSE(Module.Answer(QStringLiteral("about")).Found);
  EXPECT_TRUE(Module.Answer(QStringLiteral("menu.html")).Found);
  TSSIPreviewModule unset;
  EXPECT_FALSE(unset.Answer(QStringLiteral("menu.html")).Found);
}

TEST(SSIPreviewEncoding, NamesTheEncodingEachFileWasWrittenIn) {
  TSiteFolder site;
  site.Write(QStringLiteral("site/site.txt"), kEncodingProject);
  THTMLGenerator generator;
  ASSERT_EQ(BuildProject(site.Path(QStringLiteral("site/site.txt")), QString(), generator), 0);
  TSSIPreviewModule module;
  module.SetPreviewFolder(FileSystemPath(generator.GetOutputFolder()));
  for (const TEncodingCase& test : kEncodingCases)
    EXPECT_EQ(module.Answer(QLatin1String(test.Path)).ContentType, test.ContentType) << test.Path;
}
