#pragma once

#include <QByteArray>
#include <QString>

// The preview's answer for a page the site does not have: which page it is and the section that
// would make it, instead of the browser's own error. Other missing files (pictures, style
// sheets) get no such page.
class TMissingPage {
 public:
  // The page a percent-encoded request path asks for ("sub/a%20b.html" gives "sub/a b.html"; ""
  // and "sub/" their index.html); empty when the path names a file of another kind.
  static QString PageName(const QString& requestPath);
  // The page in HTML: title, and text whose two %s stand for the page and its section "[name]".
  static QByteArray Html(const QString& page, const QString& title, const QString& text);
};
