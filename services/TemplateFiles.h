#pragma once

// The files of a project's theme copy (its template folder) as the template editor lists,
// reads and writes them: pages, includes and style sheets; UTF-16 files keep their form, all
// others are text of the code page.

#include <QByteArray>
#include <QString>
#include <QStringList>

enum TTemplateFileKind { tfOther = -1, tfPage = 0, tfStyleSheet = 1 };

struct TTemplateText {
  QString Text;
  bool Utf16 = false;   // began with a UTF-16 mark: written back as UTF-16 LE with its mark
  QByteArray Digest;    // of the bytes on disk, to notice another program's changes
};

class TTemplateFiles {
 public:
  // .htm*, .php*, .inc: pages; .css: style sheets; letter case aside.
  static TTemplateFileKind KindOf(const QString& name);
  // The listed files of folder, in name order (letter case aside); none for a missing folder.
  static QStringList List(const QString& folder);
  // The entry to show first: the first "index.*", else the first; -1 for none.
  static int StartIndex(const QStringList& names);

  // Raises EInkloomError when the file cannot be read.
  static TTemplateText Read(const QString& file);
  // Writes atomically in the file's form. A character the code page lacks is written as a
  // numeric character reference in a page, as "?" in a style sheet; missing counts those.
  // Raises EInkloomError when the file cannot be written; the file on disk is then unchanged.
  static QByteArray Write(const QString& file, const TTemplateText& text, int* missing = nullptr);
  // The digest of the file's bytes now (empty for a file that cannot be read).
  static QByteArray DigestOf(const QString& file);
};
