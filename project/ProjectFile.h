#pragma once

// The project file (.iklproj): an XML document whose root holds the project text in "content"
// and the publishing settings in "Settings". Any other readable file opens as plain text.

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <functional>

struct TProjectFileContents {
  QString Text;           // lines joined by CR LF or LF, as stored
  QDomDocument Document;  // null after a plain-text read
  QDomElement Root() const { return Document.documentElement(); }
};

class TProjectFile {
 public:
  // Reads a project file, or any other file as plain text (UTF-16 with its byte-order mark,
  // otherwise the code page). Raises EInkloomError "Cannot open file "%s". %s" when the file
  // cannot be read at all.
  static TProjectFileContents Read(const QString& fileName);

  // Writes text as a new project document; addSettings lets the publishing settings join the
  // document before it is written. Returns the new document. Raises EInkloomError when the folder
  // cannot be made or the file cannot be written; the file on disk is then unchanged.
  static QDomDocument Write(const QString& fileName, const QString& text,
                           const std::function<void(QDomElement& root)>& addSettings = {});

  // The plain-text reading of a file's bytes.
  static QString DecodePlainText(const QByteArray& bytes);
};
