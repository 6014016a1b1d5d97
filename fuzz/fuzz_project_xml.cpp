// Reading a project file: the XML document, or the plain-text fallback with its byte-order marks.

#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir folder;
  static const QString path = folder.filePath(QStringLiteral("fuzz.iklproj"));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  try {
    TProjectFileContents contents = TProjectFile::Read(path);
    // The text of the headless modes, read without a document, is the same text.
    if (TProjectFile::FromUtf8(TProjectFile::ReadTextUtf8(path)) != contents.Text) std::abort();
    QDomElement settings = FindChildElement(contents.Root(), QStringLiteral("Settings"));
    GetAttributeFlag(settings, QStringLiteral("FTPPassiveMode"));
    GetChildText(settings, QStringLiteral("UploadFiles"), QString());
  } catch (const EInkloomError&) {
  }
  return 0;
}
