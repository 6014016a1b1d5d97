// The themes the program ships, as a user gets them. Each one is started as the new-project
// wizard starts a project (the theme copied into the project's template folder, the project text
// taken from its info.xml), built with `inkloom --build`, and every page is checked as a web
// server would serve it: valid HTML to tidy, every local link and resource present, the
// landmarks, skip link and alternative texts that assistive technology needs, and colours with
// the contrast WCAG AA asks of text.

#include "generator/HTMLTheme.h"
#include "project/CodePage.h"
#include "services/NewSiteProject.h"

#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <ostream>

namespace {

struct TShippedTheme {
  const char* Entry;     // its entry in the themes folder: a folder, or an archive
  const char* Language;  // of its project text, and so of its pages
};

void PrintTo(const TShippedTheme& theme, std::ostream* out) { *out << theme.Entry; }

const TShippedTheme ShippedThemes[] = {
    {"journal", "en"},         {"journal-ru", "ru"},          {"storefront", "en"},
    {"storefront-ru", "ru"},   {"manual.ikltheme", "en"},     {"manual-ru.ikltheme", "ru"},
};

// The colour pairs of text on its background that every theme's style sheet declares as custom
// properties of :root (again under prefers-color-scheme: dark where it has a dark look).
const char* const RequiredPairs[][2] = {
    {"text", "page"},          {"muted", "page"},         {"link", "page"},
    {"text", "panel"},         {"muted", "panel"},        {"link", "panel"},
    {"header-text", "header"}, {"header-link", "header"}, {"button-text", "button"},
    {"code-text", "code"},     {"footer-text", "footer"}, {"footer-link", "footer"},
    {"note-text", "note"},     {"link", "note"},
};
// Pairs a theme may have.
const char* const OptionalPairs[][2] = {{"warning-text", "warning"}};

const QString ThemesFolder = QStringLiteral(INKLOOM_BINARY_DIR "/share/inkloom/themes/");
const QString SourceThemes = QStringLiteral(INKLOOM_SOURCE_DIR "/themes/");

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file below folder, relative, with "/", in name order.
QStringList FilesBelow(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

void CopyTree(const QString& from, const QString& to) {
  for (const QString& file : FilesBelow(from)) WriteAll(to + '/' + file, ReadAll(from + '/' + file));
}

struct TRun {
  int ExitCode = -1;
  QString Err;
};

// `inkloom --build project` with its own settings folder.
TRun Build(const QString& project, const QString& configHome) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(INKLOOM_PROGRAM), {QStringLiteral("--build"), project});
  TRun run;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
  run.ExitCode = process.exitCode();
  run.Err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

// A project file holding text, its lines joined by CR LF as the editor joins them.
QByteArray ProjectFile(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\n', QStringLiteral("\r\n"));
  text.replace('&', QStringLiteral("&amp;")).replace('<', QStringLiteral("&lt;")).replace('>', QStringLiteral("&gt;"));
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<iklproj><content>" + text.toUtf8() +
         "</content></iklproj>\r\n";
}

bool IsPage(const QString& file) {
  static const QRegularExpression page(QStringLiteral("\\.(html?|shtml|php)$"),
                                       QRegularExpression::CaseInsensitiveOption);
  return page.match(file).hasMatch();
}

// A page as the web server (and the preview) delivers it: its includes replaced by the files
// they name below the output folder, an include file that is missing reported in missing.
QString Served(const QString& root, const QString& page, QStringList& missing) {
  static const QRegularExpression includes[] = {
      QRegularExpression(QStringLiteral(
          R"re((?i)<\?php\s+(include|include_once)\s*\(\s*["']([\w\./-]+)["']\s*\)\s*\?>)re")),
      QRegularExpression(QStringLiteral(R"re((?i)<!--\s*#include\s+(file|virtual)\s*=\s*"([\w\./-]+)"\s*-->)re"))};
  QString text = QString::fromUtf8(ReadAll(root + page));
  for (const QRegularExpression& include : includes) {
    for (int count = 0; count < 100; ++count) {
      const QRegularExpressionMatch match = include.match(text);
      if (!match.hasMatch()) break;
      const QString file = root + match.captured(2);
      if (!QFileInfo(file).isFile()) missing << page + ": the include " + match.captured(2) + " is missing";
      text.replace(match.capturedStart(), match.capturedLength(), QString::fromUtf8(ReadAll(file)));
    }
  }
  return text;
}

struct TTag {
  QString Name;  // lower case
  std::map<QString, QString> Attributes;
  qsizetype Position;
  bool Has(const char* name) const { return Attributes.count(QLatin1String(name)) > 0; }
  QString Value(const char* name) const {
    auto it = Attributes.find(QLatin1String(name));
    return it == Attributes.end() ? QString() : it->second;
  }
};

QList<TTag> Tags(const QString& html) {
  static const QRegularExpression tag(QStringLiteral(R"re(<([a-zA-Z][a-zA-Z0-9]*)(\s[^>]*)?>)re"));
  static const QRegularExpression attribute(QStringLiteral(
      R"re(([a-zA-Z_:][-a-zA-Z0-9_:.]*)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>/]+)))re"));
  QList<TTag> tags;
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    TTag found{match.captured(1).toLower(), {}, match.capturedStart()};
    for (auto a = attribute.globalMatch(match.captured(2)); a.hasNext();) {
      const QRegularExpressionMatch pair = a.next();
      QString value = pair.captured(2) + pair.captured(3) + pair.captured(4);
      found.Attributes.emplace(pair.captured(1).toLower(), value);
    }
    tags << found;
  }
  return tags;
}

QSet<QString> Ids(const QString& html) {
  QSet<QString> ids;
  for (const TTag& tag : Tags(html)) {
    if (tag.Has("id")) ids << tag.Value("id");
    if (tag.Name == QLatin1String("a") && tag.Has("name")) ids << tag.Value("name");
  }
  return ids;
}

bool IsElsewhere(const QString& reference) {
  static const QRegularExpression scheme(QStringLiteral("^[a-zA-Z][a-zA-Z0-9+.-]*:"));
  return reference.startsWith(QLatin1String("//")) || scheme.match(reference).hasMatch();
}

// What tidy says about a page: nothing when it is valid HTML.
QStringList TidyMessages(const QString& html) {
  QProcess tidy;
  tidy.start(QStringLiteral("tidy"), {QStringLiteral("-e"), QStringLiteral("-q"), QStringLiteral("-utf8")});
  if (!tidy.waitForStarted()) return {QStringLiteral("tidy cannot be run: scripts/deps installs it")};
  tidy.write(html.toUtf8());
  tidy.closeWriteChannel();
  tidy.waitForFinished(30000);
  QStringList messages;
  for (const QString& line : QString::fromUtf8(tidy.readAllStandardError()).split('\n'))
    if (!line.trimmed().isEmpty()) messages << line.trimmed();
  return messages;
}

// The custom properties of the :root rules of a style sheet: the first rule, and each later one
// (a dark look) laid over it.
QList<std::map<QString, QString>> RootProperties(QString css) {
  css.remove(QRegularExpression(QStringLiteral(R"re(/\*.*?\*/)re"), QRegularExpression::DotMatchesEverythingOption));
  static const QRegularExpression root(QStringLiteral(R"re(:root\s*\{([^}]*)\})re"));
  static const QRegularExpression property(QStringLiteral(R"re(--([\w-]+)\s*:\s*([^;]+);)re"));
  QList<std::map<QString, QString>> looks;
  for (auto it = root.globalMatch(css); it.hasNext();) {
    std::map<QString, QString> look = looks.isEmpty() ? std::map<QString, QString>() : looks.first();
    const QString body = it.next().captured(1);
    for (auto p = property.globalMatch(body); p.hasNext();) {
      const QRegularExpressionMatch match = p.next();
      look[match.captured(1)] = match.captured(2).trimmed();
    }
    looks << look;
  }
  return looks;
}

double Luminance(const QColor& colour) {
  auto channel = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
         0.0722 * channel(colour.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// ---------------------------------------------------------------------------------------------

class ShippedTheme : public ::testing::TestWithParam<TShippedTheme> {
 protected:
  QTemporaryDir Dir;
  QString Language;
  QString Title;
  QString ProjectText;

  QString Path(const QString& relative) const { return Dir.filePath(relative); }
  QString Template() const { return Path(QStringLiteral("site/template/")); }
  QString Output() const { return Path(QStringLiteral("site/html/")); }

  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Language = QLatin1String(GetParam().Language);
    // What the wizard does on Create: the theme's files into the template folder, its project
    // text into the editor.
    THTMLTheme theme;
    ASSERT_TRUE(theme.Load((ThemesFolder + QLatin1String(GetParam().Entry)).toStdString(), ".ikltheme"))
        << GetParam().Entry << " is not in " << ThemesFolder.toStdString();
    theme.ExtractTo(Template().toStdString());
    Title = theme.Title();
    ProjectText = theme.ProjectText();
  }

  // Saves the project and builds it, as Save and Preview would.
  void BuildSite() {
    ASSERT_FALSE(ProjectText.isEmpty());
    ASSERT_TRUE(WriteAll(Path(QStringLiteral("site/site.iklproj")), ProjectFile(ProjectText)));
    const TRun run = Build(Path(QStringLiteral("site/site.iklproj")), Path(QStringLiteral("config")));
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
  }

  QStringList Pages() const {
    QStringList pages = FilesBelow(Output());
    pages.erase(std::remove_if(pages.begin(), pages.end(), [](const QString& f) { return !IsPage(f); }),
                pages.end());
    return pages;
  }
};

std::string ThemeTestName(const ::testing::TestParamInfo<TShippedTheme>& info) {
  std::string name = info.param.Entry;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

TEST_P(ShippedTheme, DescribesItselfInTheCodePageAndDefinesWhatItsTemplatesAsk) {
  EXPECT_FALSE(Title.isEmpty());
  EXPECT_FALSE(ProjectText.isEmpty());

  QStringList codePageFiles{QStringLiteral("info.xml")};
  for (const QString& file : FilesBelow(Template()))
    if (IsPage(file)) codePageFiles << file;
  ASSERT_GE(codePageFiles.size(), 2) << "a theme needs a template";
  for (const QString& file : codePageFiles) {
    const QByteArray bytes = ReadAll(Template() + file);
    ASSERT_FALSE(bytes.isEmpty()) << file.toStdString();
    // 0x98 is the one byte windows-1251 leaves undefined. Text that is not plain ASCII but valid
    // UTF-8 was saved in the wrong encoding: Cyrillic in windows-1251 is never valid UTF-8.
    EXPECT_FALSE(bytes.contains('\x98')) << file.toStdString();
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    EXPECT_TRUE(ascii || utf8.hasError()) << file.toStdString() << " is in UTF-8, not windows-1251";
  }

  // info.xml names its code page, so that other tools read it as the program does.
  const QByteArray info = ReadAll(Template() + QStringLiteral("info.xml"));
  EXPECT_TRUE(info.startsWith("<?xml version=\"1.0\" encoding=\"windows-1251\"?>"));
  QDomDocument document;
  ASSERT_TRUE(static_cast<bool>(document.setContent(TCodePage::ToUnicode(info.toStdString()))));
  static const QRegularExpression cyrillic(QStringLiteral("[\\x{0410}-\\x{044F}]"));
  EXPECT_EQ(cyrillic.match(ProjectText).hasMatch(), Language == QLatin1String("ru"));
  EXPECT_EQ(cyrillic.match(Title).hasMatch(), Language == QLatin1String("ru"));

  // An undefined variable gives empty text without a word: every placeholder of the templates
  // is a built-in value or set by the project text (a directive or a section).
  static const QRegularExpression placeholder(QStringLiteral(R"re(\{\.?([A-Za-z0-9_]+)\})re"));
  const QSet<QString> builtIn{QStringLiteral("content"), QStringLiteral("name"), QStringLiteral("index"),
                              QStringLiteral("now"), QStringLiteral("charset")};
  for (const QString& file : codePageFiles.mid(1)) {
    const QString text = TCodePage::ToUnicode(ReadAll(Template() + file).toStdString());
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
      const QString name = it.next().captured(1);
      if (builtIn.contains(name.toLower())) continue;
      const QRegularExpression defined(
          QStringLiteral("(^|\\n)(\\$\\$?\\.?%1( |\\r?\\n|$)|\\[%1\\])").arg(QRegularExpression::escape(name)),
          QRegularExpression::CaseInsensitiveOption);
      EXPECT_TRUE(defined.match(ProjectText).hasMatch())
          << file.toStdString() << " asks for {" << name.toStdString() << "}, which the project text never sets";
    }
  }
}

TEST_P(ShippedTheme, ColoursMeetWcagAaAndNothingComesFromElsewhere) {
  const QString css = QString::fromUtf8(ReadAll(Template() + QStringLiteral("style.css")));
  ASSERT_FALSE(css.isEmpty());
  const QList<std::map<QString, QString>> looks = RootProperties(css);
  ASSERT_FALSE(looks.isEmpty()) << "the colours are custom properties of :root";
  for (int look = 0; look < looks.size(); ++look) {
    auto check = [&](const char* foreground, const char* background, bool required) {
      auto f = looks[look].find(QLatin1String(foreground)), b = looks[look].find(QLatin1String(background));
      if (f == looks[look].end() || b == looks[look].end()) {
        EXPECT_FALSE(required) << "--" << foreground << " or --" << background << " is missing";
        return;
      }
      const QColor fc(f->second), bc(b->second);
      ASSERT_TRUE(fc.isValid() && bc.isValid()) << f->second.toStdString() << " " << b->second.toStdString();
      EXPECT_GE(ContrastRatio(fc, bc), 4.5)
          << "look " << look << ": --" << foreground << " " << f->second.toStdString() << " on --"
          << background << " " << b->second.toStdString();
    };
    for (const auto& pair : RequiredPairs) check(pair[0], pair[1], true);
    for (const auto& pair : OptionalPairs) check(pair[0], pair[1], false);
  }

  // Outside :root no rule names a colour of its own, so the pairs above are every colour of text.
  QString rules = css;
  rules.remove(QRegularExpression(QStringLiteral(R"re(/\*.*?\*/)re"), QRegularExpression::DotMatchesEverythingOption));
  static const QRegularExpression rule(QStringLiteral(R"re(([^{}]*)\{([^{}]*)\})re"));
  static const QRegularExpression literal(QStringLiteral(R"re(#[0-9a-fA-F]{3,8}\b|\b(rgb|hsl)a?\()re"));
  for (auto it = rule.globalMatch(rules); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    if (match.captured(1).trimmed() == QLatin1String(":root")) continue;
    EXPECT_FALSE(literal.match(match.captured(2)).hasMatch())
        << match.captured(1).trimmed().toStdString() << " names a colour; use a property of :root";
  }
  // System fonts and the theme's own files only: a site must work offline.
  EXPECT_FALSE(css.contains(QLatin1String("@import")));
  EXPECT_FALSE(css.contains(QLatin1String("@font-face")));
}

TEST_P(ShippedTheme, EveryPageIsValidHtmlWhoseLinksAndResourcesResolve) {
  BuildSite();
  if (HasFatalFailure()) return;
  const QStringList pages = Pages();
  ASSERT_GE(pages.size(), 3) << "the project text shows a few pages";
  const QString root = QDir(Output()).absolutePath() + '/';
  std::map<QString, QSet<QString>> idsOf;
  auto idsOfPage = [&](const QString& page) -> const QSet<QString>& {
    auto it = idsOf.find(page);
    if (it != idsOf.end()) return it->second;
    QStringList ignored;
    return idsOf.emplace(page, Ids(Served(root, page, ignored))).first->second;
  };

  for (const QString& page : pages) {
    SCOPED_TRACE(page.toStdString());
    QStringList missing;
    const QString html = Served(root, page, missing);
    EXPECT_TRUE(missing.isEmpty()) << missing.join('\n').toStdString();
    EXPECT_TRUE(TidyMessages(html).isEmpty()) << TidyMessages(html).join('\n').toStdString();
    // Nothing of the markup or of a placeholder is left unconverted.
    for (const char* leftover : {"{", "}", "_[", "*[", "![", ".[", "#["})
      EXPECT_FALSE(html.contains(QLatin1String(leftover))) << "holds " << leftover;

    const QString folder = QFileInfo(root + page).absolutePath();
    for (const TTag& tag : Tags(html)) {
      for (const char* attribute : {"href", "src"}) {
        if (!tag.Has(attribute)) continue;
        const QString reference = tag.Value(attribute);
        if (IsElsewhere(reference)) {
          // Links may lead anywhere; whatever the page loads comes from the site itself.
          EXPECT_EQ(tag.Name, QStringLiteral("a")) << "<" << tag.Name.toStdString() << "> loads "
                                                   << reference.toStdString() << " from elsewhere";
          continue;
        }
        const qsizetype hash = reference.indexOf('#');
        const QString path = reference.left(hash < 0 ? reference.size() : hash).section('?', 0, 0);
        const QString fragment = hash < 0 ? QString() : reference.mid(hash + 1);
        QString target = path.isEmpty() ? root + page : QDir::cleanPath(folder + '/' + path);
        if (QFileInfo(target).isDir()) target += QStringLiteral("/index.html");
        ASSERT_TRUE(target.startsWith(root)) << reference.toStdString() << " leads out of the site";
        EXPECT_TRUE(QFileInfo(target).isFile()) << reference.toStdString() << " is missing";
        if (!fragment.isEmpty() && IsPage(target) && QFileInfo(target).isFile()) {
          EXPECT_TRUE(idsOfPage(target.mid(root.size())).contains(fragment))
              << reference.toStdString() << ": no element has the id " << fragment.toStdString();
        }
      }
    }
  }

  // The files the style sheets name.
  static const QRegularExpression url(QStringLiteral(R"re(url\(\s*['"]?([^'")\s]+))re"));
  for (const QString& file : FilesBelow(Output())) {
    if (!file.endsWith(QLatin1String(".css"))) continue;
    const QString css = QString::fromUtf8(ReadAll(root + file));
    for (auto it = url.globalMatch(css); it.hasNext();) {
      const QString reference = it.next().captured(1);
      EXPECT_FALSE(IsElsewhere(reference)) << file.toStdString() << " loads " << reference.toStdString();
      EXPECT_TRUE(QFileInfo(QFileInfo(root + file).absolutePath() + '/' + reference).isFile())
          << file.toStdString() << ": " << reference.toStdString() << " is missing";
    }
  }
}

TEST_P(ShippedTheme, EveryPageHasItsLanguageLandmarksSkipLinkAndAlternativeTexts) {
  BuildSite();
  if (HasFatalFailure()) return;
  const QString root = QDir(Output()).absolutePath() + '/';
  for (const QString& page : Pages()) {
    SCOPED_TRACE(page.toStdString());
    QStringList missing;
    const QString html = Served(root, page, missing);
    const QList<TTag> tags = Tags(html);
    auto count = [&](const char* name) {
      return int(std::count_if(tags.begin(), tags.end(), [&](const TTag& t) { return t.Name == QLatin1String(name); }));
    };
    auto first = [&](const char* name) {
      return std::find_if(tags.begin(), tags.end(), [&](const TTag& t) { return t.Name == QLatin1String(name); });
    };

    ASSERT_NE(first("html"), tags.end());
    EXPECT_EQ(first("html")->Value("lang"), Language);
    for (const char* landmark : {"header", "nav", "footer"}) EXPECT_GE(count(landmark), 1) << landmark;
    ASSERT_EQ(count("main"), 1);
    const auto main = first("main");
    const qsizetype mainEnd = html.indexOf(QLatin1String("</main>"));

    // The first link of the page skips to the main content, and says so.
    const auto skip = std::find_if(first("body"), tags.end(), [](const TTag& t) { return t.Name == QLatin1String("a"); });
    ASSERT_NE(skip, tags.end());
    EXPECT_EQ(skip->Value("href"), '#' + main->Value("id"));
    EXPECT_FALSE(main->Value("id").isEmpty());
    const qsizetype textStart = html.indexOf('>', skip->Position) + 1;
    EXPECT_FALSE(html.mid(textStart, html.indexOf('<', textStart) - textStart).trimmed().isEmpty());

    // A title that starts with the page's own words.
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    const QString titleText = title.match(html).captured(1).trimmed();
    EXPECT_TRUE(!titleText.isEmpty() && titleText.front().isLetter()) << titleText.toStdString();

    // Every image has an alternative text; a picture of the content one that describes it (the
    // logos beside the site's name may have an empty one).
    for (const TTag& tag : tags) {
      if (tag.Name != QLatin1String("img")) continue;
      EXPECT_TRUE(tag.Has("alt")) << tag.Value("src").toStdString();
      if (tag.Position > main->Position && tag.Position < mainEnd) {
        EXPECT_FALSE(tag.Value("alt").trimmed().isEmpty()) << tag.Value("src").toStdString();
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, ShippedTheme, ::testing::ValuesIn(ShippedThemes), ThemeTestName);

// ---------------------------------------------------------------------------------------------

TEST(ShippedThemes, AreTheThemesAboveEachWithATitleOfItsOwn) {
  QStringList expected;
  for (const TShippedTheme& theme : ShippedThemes) expected << QLatin1String(theme.Entry);
  expected.sort();
  QStringList entries = QDir(ThemesFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  EXPECT_EQ(entries, expected);
  QSet<QString> titles;
  for (const QString& entry : entries) {
    // The project's own copy of its theme is "template": no shipped theme may take that name.
    EXPECT_NE(QFileInfo(entry).completeBaseName().toLower(), QStringLiteral("template"));
    THTMLTheme theme;
    ASSERT_TRUE(theme.Load((ThemesFolder + entry).toStdString(), ".ikltheme")) << entry.toStdString();
    EXPECT_FALSE(titles.contains(theme.Title())) << theme.Title().toStdString();
    titles << theme.Title();
  }
}

// The wizard offers the themes of the interface's language first, each group in caption order.
TEST(ShippedThemes, TheWizardListsTheInterfacesLanguageFirst) {
  for (const QString& language : {QStringLiteral("ru"), QStringLiteral("en")}) {
    SCOPED_TRACE(language.toStdString());
    QList<TThemeEntry> themes = TNewSiteProject::ListThemes(ThemesFolder, QStringLiteral(".ikltheme"), language);
    ASSERT_EQ(themes.size(), 1 + qsizetype(std::size(ShippedThemes)));
    EXPECT_EQ(themes.takeFirst().Caption, QStringLiteral("HTML"));
    const auto other = std::find_if(themes.begin(), themes.end(), [&](const TThemeEntry& t) { return t.Language != language; });
    EXPECT_EQ(other - themes.begin(), themes.size() / 2);
    EXPECT_TRUE(std::all_of(other, themes.end(), [&](const TThemeEntry& t) { return t.Language != language; }));
    const auto byCaption = [](const TThemeEntry& a, const TThemeEntry& b) { return a.Caption.compare(b.Caption, Qt::CaseInsensitive) < 0; };
    EXPECT_TRUE(std::is_sorted(themes.begin(), other, byCaption));
    EXPECT_TRUE(std::is_sorted(other, themes.end(), byCaption));
  }
}

// A theme shipped as an archive builds the same site as the folder it is made from, when a
// project names it with $theme and finds it in the themes folder of its settings.
TEST(ShippedThemes, AnArchiveBuildsTheSameSiteAsItsFolder) {
  struct TArchive {
    const char* Name;
    QStringList Folders;  // below themes/ in the sources, each laid over the one before
  };
  const TArchive archives[] = {{"manual", {QStringLiteral("manual")}},
                               {"manual-ru", {QStringLiteral("manual"), QStringLiteral("ru/manual")}}};
  for (const TArchive& archive : archives) {
    SCOPED_TRACE(archive.Name);
    QTemporaryDir dir;
    const QString name = QLatin1String(archive.Name);
    const QString archiveFile = ThemesFolder + name + QStringLiteral(".ikltheme");
    ASSERT_TRUE(QFileInfo(archiveFile).isFile());
    ASSERT_TRUE(WriteAll(dir.filePath(QStringLiteral("archive/themes/") + name + QStringLiteral(".ikltheme")),
                         ReadAll(archiveFile)));
    for (const QString& folder : archive.Folders)
      CopyTree(SourceThemes + folder, dir.filePath(QStringLiteral("folder/themes/") + name));

    THTMLTheme theme;
    ASSERT_TRUE(theme.Load(archiveFile.toStdString(), ".ikltheme"));
    const QString text = QStringLiteral("$theme ") + name + QStringLiteral("\n") + theme.ProjectText();
    std::map<QString, QStringList> files;
    for (const QString& kind : {QStringLiteral("archive"), QStringLiteral("folder")}) {
      const QString base = dir.filePath(kind);
      ASSERT_TRUE(WriteAll(base + QStringLiteral("/config/Inkloom/config.ini"),
                           "[General]\r\nDefaultThemesPath=" + (base + QStringLiteral("/themes/")).toUtf8() + "\r\n"));
      ASSERT_TRUE(WriteAll(base + QStringLiteral("/site/site.iklproj"), ProjectFile(text)));
      const TRun run = Build(base + QStringLiteral("/site/site.iklproj"), base + QStringLiteral("/config"));
      ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
      EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
      files[kind] = FilesBelow(base + QStringLiteral("/site/html"));
    }
    EXPECT_EQ(files["archive"], files["folder"]);
    EXPECT_TRUE(files["archive"].contains(QStringLiteral("style.css")));
    for (const QString& file : files["archive"])
      EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("archive/site/html/") + file)),
                ReadAll(dir.filePath(QStringLiteral("folder/site/html/") + file)))
          << file.toStdString();
  }
}

}  // namespace
