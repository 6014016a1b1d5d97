#include "services/TemplateFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TemplateFiles, KindsListAndTheFirstFileShown) {
  const struct {
    const char* Name;
    TTemplateFileKind Kind;
  } kinds[] = {{"a.html", tfPage}, {"b.HTM", tfPage}, {"c.php", tfPage},  {"d.phtml", tfOther},
               {"e.inc", tfPage},  {"f.css", tfStyleSheet}, {"g.png", tfOther}, {"noext", tfOther}};
  for (const auto& k : kinds) EXPECT_EQ(TTemplateFiles::KindOf(QLatin1String(k.Name)), k.Kind) << k.Name;
  QTemporaryDir dir;
  for (const char* name : {"Zeta.html", "alpha.css", "index.php", "logo.png"}) {
    QFile file(dir.filePath(QLatin1String(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QDir(dir.path()).mkdir(QStringLiteral("sub.html"));  // a folder is no file
  const QStringList names = TTemplateFiles::List(dir.path());
  EXPECT_EQ(names, (QStringList{"alpha.css", "index.php", "Zeta.html"}));
  EXPECT_EQ(TTemplateFiles::StartIndex(names), 1);
  EXPECT_EQ(TTemplateFiles::StartIndex({QStringLiteral("b.html")}), 0);
  EXPECT_EQ(TTemplateFiles::StartIndex({}), -1);
  EXPECT_TRUE(TTemplateFiles::List(QString()).isEmpty());
}

TEST(TemplateFiles, EachFileKeepsItsFormAndPagesKeepEveryCharacter) {
  QTemporaryDir dir;
  const QString utf16 = dir.filePath(QStringLiteral("u.html"));
  QFile file(utf16);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("\xFE\xFF\0<\x04\x16", 6));  // big-endian: written back little-endian
  file.close();
  TTemplateText text = TTemplateFiles::Read(utf16);
  EXPECT_TRUE(text.Utf16);
  EXPECT_EQ(text.Text, QStringLiteral("<\u0416"));
  text.Text += QStringLiteral("\U0001F600");
  TTemplateFiles::Write(utf16, text);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("\xFF\xFE<\0\x16\x04\x3D\xD8\x00\xDE", 10));
  file.close();

  int missing = -1;
  const TTemplateText page{QStringLiteral("\u0416 caf\u00e9"), false, {}};
  TTemplateFiles::Write(dir.filePath(QStringLiteral("p.html")), page, &missing);
  EXPECT_EQ(missing, 1);
  TTemplateFiles::Write(dir.filePath(QStringLiteral("s.css")), page, &missing);
  QFile css(dir.filePath(QStringLiteral("s.css"))), html(dir.filePath(QStringLiteral("p.html")));
  ASSERT_TRUE(css.open(QIODevice::ReadOnly) && html.open(QIODevice::ReadOnly));
  EXPECT_EQ(html.readAll(), QByteArray("\xC6 caf&#233;"));
  EXPECT_EQ(css.readAll(), QByteArray("\xC6 caf?"));
  EXPECT_EQ(TTemplateFiles::Read(dir.filePath(QStringLiteral("p.html"))).Digest, TTemplateFiles::DigestOf(dir.filePath(QStringLiteral("p.html"))));
}
