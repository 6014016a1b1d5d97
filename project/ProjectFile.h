#pragma once

// The project file (.iklproj): an XML document whose root holds the project text in "content"
// and the publishing settings in "Settings". Any other readable file opens as plain text.

#include "generator/InkloomError.h"
#include "project/FileStamp.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QStringList>

#include <functional>

struct TProjectFileContents {
  QString Text;           // lines joined by CR LF or LF, as stored
  QDomDocument Document;  // null after a plain-text read
  TFileStamp Stamp;       // of the bytes read
  QDomElement Root() const { return Document.documentElement(); }
  // A project file of this program's, which a save may replace; any other file (plain text, an
  // XML document of another kind) is only read.
  bool IsProject() const;
};

// A project text holding a character that an XML file cannot store: the line (from 1) and the
// character's code.
class EProjectCharacterError : public EInkloomError {
 public:
  EProjectCharacterError(int line, char32_t code);
  // "0001", "FFFE": the code as U+ notation writes it.
  static QString CodeText(char32_t code);
  int Line;
  char32_t Code;
};

// A file that declares itself a project (by its extension or its root element) but is no
// well-formed XML: reading it as plain text would show its source, build nothing and let a save
// replace it.
class EProjectFormatError : public EInkloomError {
 public:
  EProjectFormatError(const QString& fileName, qint64 line, qint64 column, const QString& reason);
};

class TProjectFile {
 public:
  // Projects larger than this are refused: no site is that large, and a device such as
  // /dev/zero would otherwise fill the memory.
  static constexpr qint64 kMaxFileSize = qint64(256) << 20;

  // Reads a project file, or any other file as plain text (UTF-16 with its byte-order mark,
  // UTF-8 when the bytes are valid UTF-8, otherwise the code page). Raises EInkloomError
  // "Cannot open file "%s". %s" when the file cannot be read at all, is no regular file (a
  // FIFO, a device) or is larger than kMaxFileSize, and EProjectFormatError for a project that
  // is not well-formed.
  static TProjectFileContents Read(const QString& fileName);
  // The project text alone, in UTF-8, read as it streams in: no document is built, so a large
  // project needs little more memory than its text. The same text as Read gives.
  static QByteArray ReadTextUtf8(const QString& fileName);
  // The text of ReadTextUtf8's bytes, a leading U+FEFF kept as the character it is there.
  static QString FromUtf8(QByteArrayView utf8);

  // Writes text as a new project document; addSettings lets the publishing settings join the
  // document before it is written. Returns the new document. Raises EInkloomError when the folder
  // cannot be made or the file cannot be written, EProjectCharacterError before anything is
  // written when the text holds a character XML cannot store; the file on disk is then unchanged.
  static QDomDocument Write(const QString& fileName, const QString& text,
                           const std::function<void(QDomElement& root)>& addSettings = {});

  // The plain-text reading of a file's bytes.
  static QString DecodePlainText(const QByteArray& bytes);
  // The attributes of the Settings element in the order they are written.
  static const QStringList& SettingsAttributeOrder();
};
