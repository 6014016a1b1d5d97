#pragma once

// The project's sections as the Content panel lists them, and the section the caret is in.
// Lines are looked at trimmed: every character up to and including the space is white space.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

enum TSectionIcon { siPage = 0, siSection = 1, siProject = 2 };

struct TSectionEntry {
  QString Caption;
  TSectionIcon Icon = siProject;
  int Line = 0;  // the section line, counted from 1; 0 for the project entry
};

class TSectionList {
 public:
  // The project entry (captioned projectCaption), then one entry per section line "[name]"
  // longer than two characters, in text order; a "$title Text" line adds " (Text)" to the
  // caption of the entry it stands under.
  static std::vector<TSectionEntry> Build(const QStringList& lines, const QString& projectCaption);
  // The same from the text's UTF-8 bytes, lines parted by CR LF: the editor's own text, read
  // without a copy, so that a rebuild of a large project costs little more than one scan.
  static std::vector<TSectionEntry> Build(QByteArrayView utf8, const QString& projectCaption);

  // The page of the section holding caretLine (from 0): the bracketed name of the nearest
  // section line on or above it when that name has a dot, otherwise indexPage.
  static QString CaretPage(const QStringList& lines, int caretLine, const QString& indexPage);

  // The file name without folder and extension ("C:\Sites\shop.iklproj" gives "shop"), or
  // untitled when nothing is left.
  static QString ProjectName(const QString& fileName, const QString& untitled);

  static QString TrimBlanks(const QString& line);
  static QByteArrayView TrimBlanks(QByteArrayView line);
};
