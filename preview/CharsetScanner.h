#pragma once

#include <QByteArray>

// Finds the encoding an HTML page declares for itself, the way a browser looks before it parses
// the page: the first <meta charset="..."> or <meta http-equiv="Content-Type"
// content="...; charset=..."> in its first PrescanSize bytes, passing over comments and the
// attribute values of other tags (a ">" or "<meta" inside quotes is no tag). The page may hold
// anything, so the scan only ever moves forward and never looks past PrescanSize bytes.
class TCharsetScanner {
 public:
  static constexpr qsizetype PrescanSize = 1024;
  static constexpr qsizetype MaxNameSize = 40;

  explicit TCharsetScanner(const QByteArray& page);

  // The declared name in lower case ("windows-1251"); empty when the page declares none or the
  // name is no plausible encoding name. UTF-16 declared in an 8-bit page means UTF-8, as
  // browsers read it.
  QByteArray Declared();

 private:
  QByteArray Head;
  qsizetype Position = 0;

  bool AtEnd() const { return Position >= Head.size(); }
  char Current() const { return Head.at(Position); }
  // The text (lower case) starts at the current position, letter case aside.
  bool At(const char* text) const;
  bool AtTag() const;
  void SkipPast(const char* text);
  void SkipSpaces();
  // The attributes of the tag up to its ">".
  void SkipAttributes();
  // One attribute, names and values in lower case; false at the tag's end.
  bool ReadAttribute(QByteArray& name, QByteArray& value);
  QByteArray ReadValue();
  QByteArray MetaCharset();

  static QByteArray CharsetOfContent(const QByteArray& content);
  static QByteArray Plausible(const QByteArray& name);
};
