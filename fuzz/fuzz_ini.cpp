// Reads the fuzzer's input as a settings file. Saving what was read and reading that again must
// give the same bytes; every value must read as a Boolean and as a placement without harm; a text
// written with line breaks must come back as one entry, and an escaped text exactly.

#include "services/ConfigFile.h"
#include "services/WindowPlacement.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const char* what, const QByteArray& a, const QByteArray& b) {
  std::fprintf(stderr, "%s\n---\n%s\n---\n%s\n", what, a.constData(), b.constData());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TConfigFile config;
  config.LoadFromBytes(input);
  const QByteArray saved = config.SaveToBytes();
  TConfigFile again;
  again.LoadFromBytes(saved);
  if (again.SaveToBytes() != saved) Fail("saving what was read changed it", saved, again.SaveToBytes());

  for (const TConfigDataFile::TSection& section : config.DataFile().SectionList()) {
    for (const QString& entry : section.Entries) {
      QStringView name;
      if (!TConfigDataFile::EntryName(entry, name)) continue;
      const QString key = name.toString();
      const QString value = config.ReadString(section.Name, key, QString());
      config.ReadBool(section.Name, key, false);
      TWindowPlacement placement;
      const bool accepted = config.ReadPlacement(section.Name, key, placement);
      if (accepted && value.size() / 2 != TWindowPlacement::Size)
        Fail("a placement of the wrong length was accepted", value.toUtf8(), QByteArray());
    }
  }

  const QString text = QString::fromLatin1(input.left(200));
  const QString general = QStringLiteral("General");
  config.WriteEscapedString(general, QStringLiteral("SearchTextHistory"), text);
  if (config.ReadEscapedString(general, QStringLiteral("SearchTextHistory"), QString()) != text)
    Fail("an escaped text did not come back", text.toUtf8(), QByteArray());
  config.WriteString(general, QStringLiteral("Inkloom-Fuzz-Key"), text);
  const int entries = static_cast<int>(config.DataFile().ReadSection(general).size());
  TConfigFile reread;
  reread.LoadFromBytes(config.SaveToBytes());
  if (reread.DataFile().ReadSection(general).size() != entries)
    Fail("a written value changed the number of entries", config.SaveToBytes(), reread.SaveToBytes());
  return 0;
}
