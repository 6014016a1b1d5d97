#include "project/ProjectFile.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/XMLUtils.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>

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

QString TProjectFile::FromUtf8(QByteArrayView utf8) {
  // QString::fromUtf8 would take a leading U+FEFF for a byte-order mark and drop it.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
  return decoder.decode(utf8);
}

namespace {

[[noreturn]] void ThrowCannotOpen(const QString& fileName, const QString& reason) {
  throw EInkloomError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason).toStdString());
}

// Only a regular file of a sane size is read: a FIFO would wait for ever and a device such as
// /dev/zero never ends.
void OpenForReading(QFile& file) {
  const QFileInfo info(file.fileName());
  if (info.exists() && !info.isFile()) ThrowCannotOpen(file.fileName(), QStringLiteral("It is not a regular file."));
  if (info.size() > TProjectFile::kMaxFileSize) ThrowCannotOpen(file.fileName(), QStringLiteral("It is too large."));
  if (!file.open(QIODevice::ReadOnly)) ThrowCannotOpen(file.fileName(), file.errorString());
}

// The rest of the file, never more than the limit even when it grows while it is read. The
// buffer grows with what is read: asking for the limit at once would allocate all of it.
QByteArray ReadBounded(QIODevice& file, const QString& fileName) {
  constexpr qint64 kPiece = qint64(1) << 20;
  QByteArray bytes = file.read(std::min(file.size() - file.pos(), TProjectFile::kMaxFileSize));
  while (!file.atEnd() && bytes.size() <= TProjectFile::kMaxFileSize) {
    const QByteArray more = file.read(std::min(kPiece, TProjectFile::kMaxFileSize + 1 - bytes.size()));
    if (more.isEmpty()) break;
    bytes += more;
  }
  if (bytes.size() > TProjectFile::kMaxFileSize) ThrowCannotOpen(fileName, QStringLiteral("It is too large."));
  return bytes;
}

// The name of the first element at a document's beginning, or empty; declarations, comments
// and a DOCTYPE ("<?", "<!") are passed over.
QString FirstElementName(QString head) {
  static const QRegularExpression comment(QStringLiteral("<!--.*?(-->|$)"), QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression element(QStringLiteral("<([A-Za-z_][A-Za-z0-9_.:-]*)"));
  const QRegularExpressionMatch match = element.match(head.remove(comment));
  return match.hasMatch() ? match.captured(1) : QString();
}

// A file that says it is a project: named .iklproj and written as XML (plain markup in such a
// file is plain text, as older versions read it), or XML whose first element is the project's.
bool DeclaresProject(const QString& fileName, QIODevice& file) {
  constexpr qint64 kHead = 4096;
  file.seek(0);
  const QString head = TProjectFile::DecodePlainText(file.read(kHead));
  if (FirstElementName(head) == kRootName) return true;
  const QString start = head.trimmed();
  return fileName.endsWith(QStringLiteral(".iklproj"), Qt::CaseInsensitive) && start.startsWith(u'<');
}

// Where a document stopped being well-formed XML.
struct TXmlProblem {
  bool Found = false;
  qint64 Line = 0;
  qint64 Column = 0;
  QString Reason;
};

// The text of the root's first child "content" (no prefix: "p:content" is another element) in
// UTF-8, and the problem when the file is no well-formed XML.
TXmlProblem StreamContent(QIODevice& file, QByteArray& utf8) {
  QXmlStreamReader reader(&file);
  bool found = false;
  int inside = 0;  // the depth within the content element being read; 0 outside it
  for (int depth = 0; !reader.atEnd();) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (inside > 0) ++inside;
        if (depth == 2 && !found && reader.qualifiedName() == kContent) inside = 1;
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        if (inside > 0 && --inside == 0) found = true;
        break;
      case QXmlStreamReader::Characters:
        if (inside > 0) utf8 += reader.text().toUtf8();
        break;
      case QXmlStreamReader::DTD:
        // The program never writes entities; an external one would silently drop its text, and
        // internal ones only serve to blow a small file up.
        if (!reader.entityDeclarations().isEmpty()) reader.raiseError(QStringLiteral("a project file declares no entities"));
        break;
      default:
        break;
    }
  }
  if (!reader.hasError()) return {};
  return {true, reader.lineNumber(), reader.columnNumber(), reader.errorString()};
}

// A project that is no well-formed XML is an error naming the place; any other file that is not
// XML is plain text.
void ThrowIfDeclaredProject(QIODevice& file, const QString& fileName) {
  if (!DeclaresProject(fileName, file)) return;
  file.seek(0);
  QByteArray ignored;
  const TXmlProblem problem = StreamContent(file, ignored);
  if (problem.Found) throw EProjectFormatError(fileName, problem.Line, problem.Column, problem.Reason);
  throw EProjectFormatError(fileName, 1, 1, QStringLiteral("the document cannot be read"));
}

// Plain text in UTF-8: the usual plain text is UTF-8 already and its bytes serve as they are.
QByteArray PlainTextUtf8(const QByteArray& bytes) {
  const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
  if (!utf16 && IsValidUtf8(bytes)) return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  return TProjectFile::DecodePlainText(bytes).toUtf8();
}

// The project text of an open file in UTF-8, as it streams in.
QByteArray StreamedTextUtf8(QIODevice& file, const QString& fileName) {
  QByteArray utf8;
  utf8.reserve(file.size());  // the text is never longer than its file
  if (!StreamContent(file, utf8).Found) return utf8;
  utf8.clear();
  ThrowIfDeclaredProject(file, fileName);
  file.seek(0);
  return PlainTextUtf8(ReadBounded(file, fileName));
}

}  // namespace

EProjectFormatError::EProjectFormatError(const QString& fileName, qint64 line, qint64 column, const QString& reason)
    : EInkloomError(QStringLiteral("%1:%2:%3: the project file cannot be read: %4")
                        .arg(fileName)
                        .arg(line)
                        .arg(column)
                        .arg(reason)
                        .toStdString()) {}

TProjectFileContents TProjectFile::Read(const QString& fileName) {
  QFile file(fileName);
  const QDateTime modified = QFileInfo(fileName).lastModified();  // before the bytes: see TFileStamp
  OpenForReading(file);
  QBuffer buffer;
  buffer.setData(ReadBounded(file, fileName));
  buffer.open(QIODevice::ReadOnly);
  TProjectFileContents contents;
  contents.Stamp = TFileStamp::OfBytes(buffer.data(), modified);
  QDomDocument parsed;
  if (parsed.setContent(buffer.data()) && !parsed.documentElement().isNull()) {
    contents.Document = parsed;
    // The text as the streaming reader takes it, which keeps a text of white space only.
    contents.Text = FromUtf8(StreamedTextUtf8(buffer, fileName));
    return contents;
  }
  ThrowIfDeclaredProject(buffer, fileName);
  contents.Text = DecodePlainText(buffer.data());
  return contents;
}

QByteArray TProjectFile::ReadTextUtf8(const QString& fileName) {
  QFile file(fileName);
  OpenForReading(file);
  return StreamedTextUtf8(file, fileName);
}

QDomDocument TProjectFile::Write(const QString& fileName, const QString& text,
                                 const std::function<void(QDomElement& root)>& addSettings) {
  CheckStorable(text);
  QDomDocument document = NewXmlDocument(kRootName);
  QDomElement root = document.documentElement();
  SetChildText(root, kContent, text);
  if (addSettings) addSettings(root);
  // A bare name ("site.iklproj") lies in the current folder.
  const QString folder = QFileInfo(fileName).absolutePath();
  if (!QDir().mkpath(folder)) throw EInkloomError("Unable to create directory \"" + folder.toStdString() + "\"");
  SaveXmlFile(document, fileName, SettingsAttributeOrder());
  return document;
}
