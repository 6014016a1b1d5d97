// The user guide as the build makes it: both languages, every page, nothing left unconverted.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(UserGuide, BothLanguagesHaveEveryPageFullyConverted) {
  const QString help = QStringLiteral(INKLOOM_BINARY_DIR "/share/inkloom/help/");
  for (const char* language : {"", "ru/"}) {
    for (const char* page : {"index.html", "getting-started.html", "markup.html", "about.html"}) {
      QFile file(help + QLatin1String(language) + QLatin1String(page));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
      const QByteArray html = file.readAll();
      EXPECT_TRUE(html.contains(*language ? "lang=\"ru\"" : "lang=\"en\"")) << page;
      for (const char* leftover : {"{", "_[", "*[", "![", "#[", ".["})
        EXPECT_FALSE(html.contains(leftover)) << language << page << " holds " << leftover;
    }
    EXPECT_TRUE(QFileInfo::exists(help + QLatin1String(language) + QStringLiteral("style.css")));
  }
  // Building the guide never wrote a settings file.
  QDir settings(QStringLiteral(INKLOOM_BINARY_DIR "/help-config"));
  EXPECT_TRUE(!settings.exists() || settings.entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}
