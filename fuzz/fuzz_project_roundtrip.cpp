// Any text through save and open: the same text comes back (line breaks as the editor keeps
// them), or the save is refused because the text holds a character XML cannot store, and then
// only then. The first byte chooses how the rest is read: UTF-8, or UTF-16 code units (which
// reach lone surrogates).

#include "project/ProjectFile.h"
#include "project/XMLUtils.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QString TextOf(const uint8_t* data, size_t size) {
  if (size == 0) return QString();
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const qsizetype length = static_cast<qsizetype>(size - 1);
  if (data[0] % 2 == 0) return QString::fromUtf8(bytes, length);
  return QString(reinterpret_cast<const QChar*>(bytes), length / 2);
}

QString LineBreaksAsLf(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir folder;
  static const QString path = folder.filePath(QStringLiteral("fuzz.iklproj"));
  const QString text = TextOf(data, size);
  const bool storable = FindInvalidXmlCharacter(text) < 0;
  try {
    TProjectFile::Write(path, text);
  } catch (const EProjectCharacterError&) {
    if (storable) std::abort();  // refused a text it can store
    return 0;
  }
  if (!storable) std::abort();  // wrote a file that cannot read back the same
  if (LineBreaksAsLf(TProjectFile::Read(path).Text) != LineBreaksAsLf(text)) std::abort();
  return 0;
}
