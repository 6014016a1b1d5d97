#pragma once

// The markup the formatting commands write, as text: what a line becomes under a heading or list
// command, and how an image file is addressed from the generated pages.

#include <QString>

class TFormatting {
 public:
  // A heading of level 1 to 3: a line of that level loses its prefix, one of another level
  // changes to this level, any other line gains the prefix ("= ", "== ", "=== ").
  static QString ToggleHeading(const QString& line, int level);
  // The list marker own ('*' or '#'): "other " becomes "own ", "own " is removed, any other
  // line gains "own " in front. Only the first two characters count.
  static QString ToggleListMarker(const QString& line, QChar other, QChar own);
  // The file as the generated pages reach it: relative to the output folder, or to the theme
  // folder, whose files the generator copies there; folders compared without regard to letter
  // case, backslashes made slashes. Empty for a file elsewhere: the pages cannot reach it until
  // it is copied into the theme folder. An untitled project (no theme folder) keeps the full
  // path. Both folders end with a separator (or are empty).
  static QString MakeImagePath(const QString& file, const QString& outputFolder,
                               const QString& templateFolder);
  // Where a picture from elsewhere is copied: the theme folder's img.
  static QString ImageCopyTarget(const QString& file, const QString& templateFolder);
};
