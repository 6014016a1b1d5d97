#include "project/ProjectFile.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/XMLUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

}  // namespace

QString TProjectFile::DecodePlainText(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE")) return DecodeUtf16(bytes, false);
  if (bytes.startsWith("\xFE\xFF")) return DecodeUtf16(bytes, true);
  return TCodePage::ToUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

TProjectFileContents TProjectFile::Read(const QString& fileName) {
  TProjectFileContents contents;
  if (LoadXmlFile(fileName, contents.Document)) {
    contents.Text = TCodePage::Filter(GetChildText(contents.Root(), kContent, QString()));
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
  QDomDocument document = NewXmlDocument(kRootName);
  QDomElement root = document.documentElement();
  SetChildText(root, kContent, TCodePage::Filter(text));
  if (addSettings) addSettings(root);
  QString folder = QFileInfo(fileName).path();
  if (!fileName.contains('/') || !QDir().mkpath(folder))
    throw EInkloomError("Unable to create directory");
  SaveXmlFile(document, fileName);
  return document;
}
