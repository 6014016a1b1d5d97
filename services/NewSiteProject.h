#pragma once

// What the new-project wizard does, without its window: the themes it offers, the project
// folder that follows the name as it is typed, and the preparation of the project's folder with
// its copy of the chosen theme.

#include <QList>
#include <QString>
#include <QStringList>

struct TThemeEntry {
  QString Caption;  // the theme's own title, or its file name without extension
  QString Name;     // the entry in the themes folder; empty for the built-in "HTML" entry
  QString Language; // what its project text sets with "$lang", such as "en" or "ru"; may be empty
};

class TNewSiteProject {
 public:
  // The built-in entry first, then every theme of the folder that loads: those in language first
  // (a "$lang" code such as "ru"), then the others, each group in caption order. The built-in
  // entry needs no themes folder, so it is there even when the folder is empty or missing.
  static QList<TThemeEntry> ListThemes(const QString& themesFolder, const QString& extension,
                                       const QString& language = QString());

  // The key of the text that refuses a project of this name in this folder; empty when it may
  // be made. A folder is needed, and a name holding a separator would put the project file in
  // another folder than its template folder.
  static QString Refusal(const QString& name, const QString& folder);
  // The names (without extension) of the project files in folder, in name order: the projects
  // whose theme is that folder's template folder.
  static QStringList ProjectsIn(const QString& folder, const QString& extension);

  // The folder field after the name changed from previousName to name: its last part follows
  // the name while it still is the name typed before (or empty).
  static QString FollowName(const QString& folder, const QString& previousName, const QString& name);

  // The project text a theme without its own starts with.
  static QStringList StartingText(const QString& name, const QString& pageTitle, const QString& pageContent);
  // The page template of the built-in entry.
  static QString BuiltInTemplate();

  // Makes folder + "template/" afresh (an old one is removed first) and fills it from the theme
  // entry, or with the built-in template when the entry is built in or no longer loads. Returns
  // the theme's project text, empty when it brings none.
  static QString PrepareFolder(const QString& folder, const TThemeEntry& entry,
                               const QString& themesFolder, const QString& extension);
};
