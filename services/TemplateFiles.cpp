#include "services/TemplateFiles.h"

#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/FileStamp.h"
#include "project/ProjectFile.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

QByteArray Digest(const QByteArray& bytes) { return TFileStamp::DigestOfBytes(bytes); }

QByteArray Utf16Bytes(const QString& text) {
  QByteArray bytes("\xFF\xFE", 2);
  for (QChar c : text) {
    bytes += static_cast<char>(c.unicode() & 0xFF);
    bytes += static_cast<char>(c.unicode() >> 8);
  }
  return bytes;
}

QByteArray CodePageBytes(const QString& text, TTemplateFileKind kind, int* missing) {
  const std::string bytes = TCodePage::FromUnicode(
      text, kind == tfPage ? TCodePage::mcCharacterReference : TCodePage::mcQuestionMark);
  if (missing) *missing = static_cast<int>(std::count_if(text.begin(), text.end(), [](QChar c) {
                   return c.unicode() >= 128 && TCodePage::FromUnicode(QString(c)) == "?";
                 }));
  return QByteArray::fromStdString(bytes);
}

}  // namespace

TTemplateFileKind TTemplateFiles::KindOf(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  const QString extension = dot < 0 ? QString() : name.mid(dot).toLower();
  if (extension.left(4) == u".htm" || extension.left(4) == u".php" || extension == u".inc") return tfPage;
  return extension == u".css" ? tfStyleSheet : tfOther;
}

QStringList TTemplateFiles::List(const QString& folder) {
  if (folder.isEmpty()) return {};
  QStringList names;
  for (const QString& name : QDir(folder).entryList(QDir::Files))
    if (KindOf(name) != tfOther) names.append(name);
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(names.begin(), names.end(), collator);
  return names;
}

int TTemplateFiles::StartIndex(const QStringList& names) {
  for (int i = 0; i < names.size(); ++i)
    if (QFileInfo(names[i]).completeBaseName().compare(QStringLiteral("index"), Qt::CaseInsensitive) == 0) return i;
  return names.isEmpty() ? -1 : 0;
}

TTemplateText TTemplateFiles::Read(const QString& file) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open file \"" + file.toStdString() + "\". " + in.errorString().toStdString());
  const QByteArray bytes = in.readAll();
  TTemplateText text;
  text.Utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
  text.Text = text.Utf16 ? TProjectFile::DecodePlainText(bytes)
                         : TCodePage::ToUnicode(std::string_view(bytes.constData(), size_t(bytes.size())));
  text.Digest = Digest(bytes);
  return text;
}

QByteArray TTemplateFiles::Write(const QString& file, const TTemplateText& text, int* missing) {
  if (missing) *missing = 0;
  const QByteArray bytes = text.Utf16 ? Utf16Bytes(text.Text) : CodePageBytes(text.Text, KindOf(file), missing);
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    throw EInkloomError("Cannot write file \"" + file.toStdString() + "\". " + out.errorString().toStdString());
  return Digest(bytes);
}

QByteArray TTemplateFiles::DigestOf(const QString& file) { return TFileStamp::DigestOf(file); }
