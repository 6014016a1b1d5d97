#include "services/ConfigFile.h"

#include "generator/InkloomError.h"
#include "generator/MiscUtils.h"
#include "project/CodePage.h"
#include "services/WindowPlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUtf8StringView>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

const QString GeneralSection = QStringLiteral("General");

int HexDigit(QChar c) {
  char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// An integer as the settings have always been read: an optional sign, then decimal digits, or
// hexadecimal digits after "$" or "0x"/"0X"; it must fit in 32 bits (hexadecimal up to FFFFFFFF).
bool ParseInteger(QStringView text, int32_t& value) {
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  int64_t result;
  if (base == 16) {
    result = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  } else {
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    result = static_cast<int64_t>(magnitude);
  }
  value = static_cast<int32_t>(negative ? -result : result);
  return true;
}

void Report(const QString& text) {
  std::fprintf(stderr, "inkloom: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

TConfigFile::TConfigFile(QObject* owner) : QObject(owner) {}

TConfigFile::~TConfigFile() {
  if (!SaveOnDestroy || AutoLoadFailed) return;
  try {
    Save();
  } catch (const std::exception& e) {
    Report(QString::fromUtf8(e.what()));
  } catch (...) {
    Report(QStringLiteral("the settings file \"%1\" was not written").arg(FullPath()));
  }
}

void TConfigFile::SetFileName(const QString& fileName) {
  File = fileName;
  UpdatePath();
}

void TConfigFile::SetLocation(TConfigFileLocation location) {
  Where = location;
  UpdatePath();
}

QString TConfigFile::LocationFolder(TConfigFileLocation location) {
  QString folder;
  switch (location) {
    case cflUser: return QString();
    case cflModule:
      if (QCoreApplication::instance()) folder = QCoreApplication::applicationDirPath();
      break;
    case cflAppData:
      folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
      break;
    case cflDocuments:
      folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      break;
    case cflCommonAppData:
      folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
      break;
    case cflCommonDocuments:
      folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
      break;
  }
  if (!folder.isEmpty() && !folder.endsWith(u'/') && !folder.endsWith(u'\\')) folder += u'/';
  return folder;
}

void TConfigFile::UpdatePath() { Data.SetFileName(LocationFolder(Where) + File); }

void TConfigFile::Loaded() {
  if (!LoadOnLoaded) return;
  try {
    Load();
  } catch (const std::exception& e) {
    AutoLoadFailed = true;
    Report(QString::fromUtf8(e.what()) +
           QStringLiteral("; the settings of this run start from the defaults and are not saved"));
  }
}

// The file is UTF-8, so that folder names and search texts in any script survive; a file of an
// older version that is no valid UTF-8 is in the code page, which the file itself may name.
void TConfigFile::LoadFromBytes(const QByteArray& bytes) {
  const bool utf8 = QUtf8StringView(bytes).isValidUtf8();
  auto decode = [&] {
    Data.LoadFromText(utf8 ? QString::fromUtf8(bytes)
                           : TCodePage::ToUnicode(std::string_view(bytes.constData(), bytes.size())));
  };
  decode();
  const QString pageName = Data.ReadString(GeneralSection, u"CodePage", QString());
  if (pageName.isEmpty()) return;
  const std::string previous = TCodePage::Name();
  if (!TCodePage::SetCodePage(pageName.toStdString()))
    Report(QStringLiteral("unknown code page \"%1\" in the settings; %2 is used")
               .arg(pageName, QString::fromStdString(previous)));
  else if (previous != TCodePage::Name() && !utf8)
    decode();
}

QByteArray TConfigFile::SaveToBytes() const { return Data.ToText().toUtf8(); }

void TConfigFile::Load() {
  const QString path = FileSystemPath(FullPath().toStdString());
  if (FullPath().isEmpty() || !QFileInfo::exists(path)) {
    Data.Clear();
  } else {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
      throw EInkloomError(QStringLiteral("Cannot read the settings file \"%1\": %2")
                              .arg(path, file.errorString())
                              .toStdString());
    LoadFromBytes(file.readAll());
  }
  Q_EMIT OnLoad(this);
}

void TConfigFile::SaveAtShutdown() {
  const bool due = SaveOnDestroy && !AutoLoadFailed;
  SaveOnDestroy = false;
  if (due) Save();
}

void TConfigFile::Save() {
  Q_EMIT OnSave(this);
  const QString path = FileSystemPath(FullPath().toStdString());
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder))
    throw EInkloomError(
        QStringLiteral("Cannot create the folder \"%1\" for the settings file").arg(folder).toStdString());
  QSaveFile file(path);
  const QByteArray bytes = SaveToBytes();
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    throw EInkloomError(QStringLiteral("Cannot write the settings file \"%1\": %2")
                            .arg(path, file.errorString())
                            .toStdString());
}

QString TConfigFile::ReadString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
  return Data.ReadString(section, key, defaultValue);
}

void TConfigFile::WriteString(const QString& section, const QString& key, const QString& value) {
  Data.WriteString(section, key, value);
}

bool TConfigFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
  if (!Data.ValueExists(section, key)) return defaultValue;
  int32_t value;
  if (!ParseInteger(Data.ReadString(section, key, QString()), value)) return defaultValue;
  return value != 0;
}

void TConfigFile::WriteBool(const QString& section, const QString& key, bool value) {
  Data.WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TConfigFile::ReadBinary(const QString& section, const QString& key, int size,
                             void* buffer) const {
  if (size < 0) return false;
  const QString text = Data.ReadString(section, key, QString());
  if (text.size() / 2 != size) return false;
  QByteArray bytes(size, '\0');
  for (int i = 0; i < size; ++i) {
    int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<char>(high * 16 + low);
  }
  if (size > 0) std::memcpy(buffer, bytes.constData(), static_cast<size_t>(size));
  return true;
}

void TConfigFile::WriteBinary(const QString& section, const QString& key, int size,
                              const void* buffer) {
  const QByteArray bytes(static_cast<const char*>(buffer), size);
  Data.WriteString(section, key, QString::fromLatin1(bytes.toHex().toUpper()));
}

QString TConfigFile::ReadEscapedString(const QString& section, const QString& key,
                                       const QString& defaultValue) const {
  if (!Data.ValueExists(section, key)) return defaultValue;
  const QByteArray stored = Data.ReadString(section, key, QString()).toUtf8();
  return QString::fromStdString(UnescapeText(std::string_view(stored.constData(), stored.size())));
}

void TConfigFile::WriteEscapedString(const QString& section, const QString& key,
                                     const QString& value) {
  const QByteArray bytes = value.toUtf8();
  Data.WriteString(section, key,
                   QString::fromStdString(EscapeText(std::string_view(bytes.constData(), bytes.size()))));
}

bool TConfigFile::ReadPlacement(const QString& section, const QString& key,
                                TWindowPlacement& placement) const {
  QByteArray bytes(TWindowPlacement::Size, '\0');
  if (!ReadBinary(section, key, TWindowPlacement::Size, bytes.data())) return false;
  return TWindowPlacement::FromBytes(bytes, placement);
}

void TConfigFile::WritePlacement(const QString& section, const QString& key,
                                 const TWindowPlacement& placement) {
  const QByteArray bytes = placement.ToBytes();
  WriteBinary(section, key, bytes.size(), bytes.constData());
}
