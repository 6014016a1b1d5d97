#include "services/NewSiteProject.h"

#include "generator/HTMLTheme.h"
#include "generator/MiscUtils.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// An empty folder stays empty: "" + "template/" is relative, as the checks before it were.
QString WithSeparator(const QString& folder) {
  return folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\') ? folder : folder + u'/';
}

bool LoadTheme(THTMLTheme& theme, const QString& themesFolder, const QString& name,
               const QString& extension) {
  return !name.isEmpty() &&
         theme.Load((WithSeparator(themesFolder) + name).toStdString(), extension.toStdString());
}

// The entries of the folder in name order, letter case aside, so every machine lists alike.
QStringList SortedEntries(const QString& folder, const QStringList& filters = {}) {
  QStringList names = QDir(folder).entryList(filters, QDir::AllEntries | QDir::NoDotAndDotDot);
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(names.begin(), names.end(), collator);
  return names;
}

// The code of "$lang xx" in a theme's project text.
QString ThemeLanguage(const QString& projectText) {
  static const QRegularExpression lang(QStringLiteral("^\\$lang[ \\t]+(\\S+)"), QRegularExpression::MultilineOption);
  return lang.match(projectText).captured(1);
}

// The themes of the language first, each group in caption order.
void SortThemes(QList<TThemeEntry>& themes, const QString& language) {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(themes.begin(), themes.end(), [&](const TThemeEntry& a, const TThemeEntry& b) {
    const bool aFirst = a.Language == language, bFirst = b.Language == language;
    return aFirst != bFirst ? aFirst : collator.compare(a.Caption, b.Caption) < 0;
  });
}

QString WithoutExtension(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot > 0 ? name.left(dot) : name;
}

}  // namespace

QList<TThemeEntry> TNewSiteProject::ListThemes(const QString& themesFolder, const QString& extension,
                                               const QString& language) {
  QList<TThemeEntry> themes;
  for (const QString& name : SortedEntries(themesFolder)) {
    THTMLTheme theme;
    if (name.startsWith(u'.') || !LoadTheme(theme, themesFolder, name, extension)) continue;
    themes.append({theme.Title().isEmpty() ? WithoutExtension(name) : theme.Title(), name, ThemeLanguage(theme.ProjectText())});
  }
  SortThemes(themes, language);
  return QList<TThemeEntry>{{QStringLiteral("HTML"), QString(), QString()}} + themes;
}

QString TNewSiteProject::Refusal(const QString& name, const QString& folder) {
  if (folder.trimmed().isEmpty()) return QStringLiteral("NoProjectFolder");
  if (name.contains(u'/') || name.contains(u'\\')) return QStringLiteral("SeparatorInName");
  return QString();
}

QStringList TNewSiteProject::ProjectsIn(const QString& folder, const QString& extension) {
  QStringList names;
  for (const QString& file : SortedEntries(folder, {u'*' + extension}))
    if (QFileInfo(WithSeparator(folder) + file).isFile()) names.append(file.left(file.size() - extension.size()));
  return names;
}

QString TNewSiteProject::FollowName(const QString& folder, const QString& previousName,
                                    const QString& name) {
  const QString trimmed = folder.trimmed();
  const qsizetype separator = std::max({trimmed.lastIndexOf(u'/'), trimmed.lastIndexOf(u'\\'),
                                        trimmed.lastIndexOf(u':')});
  const QString last = trimmed.mid(separator + 1);
  if (!last.isEmpty() && last != previousName) return folder;
  return trimmed.left(separator + 1) + name;
}

QStringList TNewSiteProject::StartingText(const QString& name, const QString& pageTitle,
                                          const QString& pageContent) {
  return {QStringLiteral("$charset utf-8"), QString(), QStringLiteral("[index.html]"),
          QStringLiteral("$title ") + name, QStringLiteral("= ") + name, QString(),
          QStringLiteral("== ") + pageTitle, QString(), pageContent};
}

QString TNewSiteProject::BuiltInTemplate() {
  return QStringList{QStringLiteral("<html>"), QStringLiteral("<head>"),
                     QStringLiteral("<title>{title}</title>"),
                     QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset={charset}\"/>"),
                     QStringLiteral("</head>"), QStringLiteral("<body>"), QStringLiteral("{content}"),
                     QStringLiteral("</body>"), QStringLiteral("</html>")}
      .join(QStringLiteral("\r\n"));
}

QString TNewSiteProject::PrepareFolder(const QString& folder, const TThemeEntry& entry,
                                       const QString& themesFolder, const QString& extension) {
  const QString templateFolder = WithSeparator(folder) + QStringLiteral("template/");
  QDir(templateFolder).removeRecursively();
  QDir().mkpath(templateFolder);
  THTMLTheme theme;
  if (LoadTheme(theme, themesFolder, entry.Name, extension)) {
    theme.ExtractTo(templateFolder.toStdString());
    return theme.ProjectText();
  }
  WriteFileText((templateFolder + QStringLiteral("index.html")).toStdString(), BuiltInTemplate().toStdString());
  return QString();
}
