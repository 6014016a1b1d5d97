#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The encoding a page or plain-text file of the site is sent with, named in its content type so
// that browsers need not guess (they guess windows-1252 and show Cyrillic as mojibake). A page's
// own declaration comes first; otherwise the bytes decide: valid UTF-8 is sent as utf-8, anything
// else in the program's code page. The generator writes UTF-8 unless the project's charset says
// otherwise, and then the code page, and text in an 8-bit code page with letters beyond ASCII is
// practically never valid UTF-8, so the bytes tell the two apart without asking the generator.
class TPageEncoding {
 public:
  // Files sent from disk are judged by their beginning.
  static constexpr qsizetype SampleSize = 1024 * 1024;

  // Content types that get a charset: HTML and other plain text (style sheets, scripts, include
  // files), but not XML, which names its encoding in its own prolog.
  static bool IsText(const QByteArray& contentType);
  // The charset for the bytes of a file (or its first SampleSize bytes); an HTML page may
  // declare its own.
  static QByteArray Of(const QByteArray& bytes, bool html);
  // Valid UTF-8 as the Unicode standard defines it (no overlong forms, surrogates or code points
  // beyond U+10FFFF); a sequence cut off by the end of bytes is allowed, since bytes may be the
  // beginning of a file.
  static bool IsUtf8(QByteArrayView bytes);
};
