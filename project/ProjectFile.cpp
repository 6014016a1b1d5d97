#include "project/ProjectFile.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/XMLUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QString kRootName = QStringLiteral("iklproj");
const QString kContent = QStringLiteral("content");

QString DecodeUtf16(const QByteArray& bytes, bool bigEndian) {
  QString text;
  qsizetype units = (bytes.size() - 2) / 2;  // an odd last byte is no character
  text.resize(units);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.constData()) + 2;
  for (qsizetype i = 0; i < units; ++i) {
    unsigned char a = data[2 * i], b = data[2 * i + 1];
    text[i] = QChar(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
  }
  return text;
}

// The text of valid UTF-8 bytes (without a leading byte-order mark); false for any other bytes.
bool DecodeUtf8(const QByteArray& bytes, QString& text) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QByteArrayView body = QByteArrayView(bytes).sliced(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0);
  text = decoder.decode(body);
  return !decoder.hasError();
}

int LineOf(const QString& text, qsizetype index) {
  int line = 1;
  for (qsizetype i = 0; i < index; ++i)
    if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) ++line;
  return line;
}

// A project text XML can hold whole, or the error naming the first character it cannot.
void CheckStorable(const QString& text) {
  const qsizetype bad = FindInvalidXmlCharacter(text);
  if (bad < 0) return;
  const QChar c = text[bad];
  const bool pair = c.isHighSurrogate() && bad + 1 < text.size() && text[bad + 1].isLowSurrogate();
  throw EProjectCharacterError(LineOf(text, bad),
                               pair ? QChar::surrogateToUcs4(c, text[bad + 1]) : c.unicode());
}

}  // namespace

EProjectCharacterError::EProjectCharacterError(int line, char32_t code)
    : EInkloomError(QStringLiteral("Line %1 holds the character U+%2, which a project file cannot "
                                   "store. Remove it and save again.")
                        .arg(line)
                        .arg(CodeText(code))
                        .toStdString()),
      Line(line),
      Code(code) {}

QString EProjectCharacterError::CodeText(char32_t code) {
  return QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, u'0');
}

const QStringList& TProjectFile::SettingsAttributeOrder() {
  static const QStringList order = {
      QStringLiteral("FTPServer"),     QStringLiteral("FTPUserName"),    QStringLiteral("FTPPassword"),
      QStringLiteral("FTPPort"),       QStringLiteral("FTPRemoteRoot"),  QStringLiteral("FTPPassiveMode"),
      QStringLiteral("UploadChangesOnly")};
  return order;
}

QString TProjectFile::DecodePlainText(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE")) return DecodeUtf16(bytes, false);
  if (bytes.startsWith("\xFE\xFF")) return DecodeUtf16(bytes, true);
  QString text;
  if (DecodeUtf8(bytes, text)) return text;
  return TCodePage::ToUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

TProjectFileContents TProjectFile::Read(const QString& fileName) {
  TProjectFileContents contents;
  if (LoadXmlFile(fileName, contents.Document)) {
    contents.Text = GetChildText(contents.Root(), kContent, QString());
    return contents;
  }
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open file \"" + fileName.toStdString() + "\". " +
                        file.errorString().toStdString());
  contents.Text = DecodePlainText(file.readAll());
  return contents;
}

QDomDocument TProjectFile::Write(const QString& fileName, const QString& text,
                                 const std::function<void(QDomElement& root)>& addSettings) {
  CheckStorable(text);
  QDomDocument document = NewXmlDocument(kRootName);
  QDomElement root = document.documentElement();
  SetChildText(root, kContent, text);
  if (addSettings) addSettings(root);
  QString folder = QFileInfo(fileName).path();
  if (!fileName.contains('/') || !QDir().mkpath(folder))
    throw EInkloomError("Unable to create directory");
  SaveXmlFile(document, fileName, SettingsAttributeOrder());
  return document;
}
