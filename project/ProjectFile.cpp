#include "project/ProjectFile.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/XMLUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

const QString kRootName = QStringLiteral("iklproj");
const QString kContent = QStringLiteral("content");

// A surrogate without its partner is no character: it becomes U+FFFD, as any decoder makes it,
// so that the text read here and its UTF-8 form are the same text.
QString ReplaceLoneSurrogates(QString text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      ++i;
    else if (text[i].isSurrogate())
      text[i] = QChar::ReplacementCharacter;
  }
  return text;
}

QString DecodeUtf16(const QByteArray& bytes, bool bigEndian) {
  QString text;
  qsizetype units = (bytes.size() - 2) / 2;  // an odd last byte is no character
  text.resize(units);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.constData()) + 2;
  for (qsizetype i = 0; i < units; ++i) {
    unsigned char a = data[2 * i], b = data[2 * i + 1];
    text[i] = QChar(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a));
  }
  return ReplaceLoneSurrogates(text);
}

// The text of valid UTF-8 bytes (without a leading byte-order mark); false for any other bytes.
bool DecodeUtf8(const QByteArray& bytes, QString& text) {
  // One mark is dropped here; the decoder keeps a second as the character it then is.
  QStringDecoder decoder(QStringConverter::Utf8,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  const QByteArrayView body = QByteArrayView(bytes).sliced(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0);
  text = decoder.decode(body);
  return !decoder.hasError();
}

// Checked in pieces that end between characters, so that a large file needs no decoded copy.
bool IsValidUtf8(QByteArrayView bytes) {
  constexpr qsizetype kPiece = 1 << 16;
  for (qsizetype at = 0; at < bytes.size();) {
    qsizetype end = std::min(at + kPiece, bytes.size());
    for (int back = 0; back < 3 && end < bytes.size() && (static_cast<uchar>(bytes[end]) & 0xC0) == 0x80; ++back) --end;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString piece = decoder.decode(bytes.sliced(at, end - at));  // decoded only when taken
    if (decoder.hasError()) return false;
    at = end;
  }
  return true;
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

bool TProjectFileContents::IsProject() const { return !Document.isNull() && Root().tagName() == kRootName; }

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
      QStringLiteral("UploadChangesOnly"), QStringLiteral("Protocol"), QStringLiteral("TrustedCertificate")};
  return order;
}

QString TProjectFile::DecodePlainText(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE")) return DecodeUtf16(bytes, false);
  if (bytes.startsWith("\xFE\xFF")) return DecodeUtf16(bytes, true);
  QString text;
  if (DecodeUtf8(bytes, text)) return text;
  return TCodePage::ToUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString TProjectFile::FromUtf8(const QByteArray& utf8) {
  // QString::fromUtf8 would take a leading U+FEFF for a byte-order mark and drop it.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
  return decoder.decode(utf8);
}

TProjectFileContents TProjectFile::Read(const QString& fileName) {
  TProjectFileContents contents;
  if (LoadXmlFile(fileName, contents.Document)) {
    // The text as the streaming reader takes it, which keeps a text of white space only.
    contents.Text = FromUtf8(ReadTextUtf8(fileName));
    return contents;
  }
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open file \"" + fileName.toStdString() + "\". " +
                        file.errorString().toStdString());
  contents.Text = DecodePlainText(file.readAll());
  return contents;
}

namespace {

// The text of the root's first child "content" in UTF-8; false when the file is no well-formed
// XML (it is then read as plain text).
bool StreamContent(QIODevice& file, QByteArray& utf8) {
  QXmlStreamReader reader(&file);
  bool found = false;
  int inside = 0;  // the depth within the content element being read; 0 outside it
  for (int depth = 0; !reader.atEnd();) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (inside > 0) ++inside;
        if (depth == 2 && !found && reader.name() == kContent) inside = 1;
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        if (inside > 0 && --inside == 0) found = true;
        break;
      case QXmlStreamReader::Characters:
        if (inside > 0) utf8 += reader.text().toUtf8();
        break;
      default:
        break;
    }
  }
  return !reader.hasError();
}

}  // namespace

QByteArray TProjectFile::ReadTextUtf8(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open file \"" + fileName.toStdString() + "\". " + file.errorString().toStdString());
  QByteArray utf8;
  utf8.reserve(file.size());  // the text is never longer than its file
  if (StreamContent(file, utf8)) return utf8;
  utf8.clear();
  file.seek(0);
  QByteArray bytes = file.readAll();
  // The usual plain text is UTF-8 already: its bytes serve as they are.
  const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
  if (!utf16 && IsValidUtf8(bytes)) return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  return DecodePlainText(bytes).toUtf8();
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
