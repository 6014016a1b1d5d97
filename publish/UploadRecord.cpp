#include "publish/UploadRecord.h"

#include <QSet>

namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

}  // namespace

bool TUploadRecord::SameName(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i].unicode()) != AsciiLower(b[i].unicode())) return false;
  return true;
}

int TUploadRecord::IndexOf(const QString& path) const {
  for (int i = 0; i < Lines.size(); ++i)
    if (SameName(Lines[i].section(u'=', 0, 0), path)) return i;
  return -1;
}

QString TUploadRecord::Digest(const QString& path) const {
  int index = IndexOf(path);
  if (index < 0) return QString();
  const QString& line = Lines[index];
  return line.mid(line.indexOf(u'=') + 1);
}

bool TUploadRecord::Store(const QString& path, const QString& digest) {
  if (path.contains(u'=')) return false;
  int index = IndexOf(path);
  if (index < 0) {
    Lines.append(path + u'=' + digest);
  } else {
    QString& line = Lines[index];
    line = line.left(line.indexOf(u'=') + 1) + digest;
  }
  return true;
}

void TUploadRecord::ApplyChanges(const QStringList& before, const QStringList& after) {
  const QSet<QString> unchanged(before.cbegin(), before.cend());
  for (const QString& line : after) {
    if (unchanged.contains(line)) continue;
    const qsizetype separator = line.indexOf(u'=');
    if (separator > 0) Store(line.left(separator), line.mid(separator + 1));
  }
  QSet<QString> left;
  for (const QString& name : Names(after)) left.insert(Key(name));
  for (const QString& name : Names(before))
    if (!left.contains(Key(name))) Remove(name);
}

bool TUploadRecord::Remove(const QString& path) {
  const int index = IndexOf(path);
  if (index >= 0) Lines.removeAt(index);
  return index >= 0;
}

QStringList TUploadRecord::Names(const QStringList& lines) {
  QStringList names;
  for (const QString& line : lines) names.append(line.section(u'=', 0, 0));
  return names;
}

QString TUploadRecord::Key(const QString& name) {
  QString key = name;
  for (QChar& c : key) c = QChar(AsciiLower(c.unicode()));
  return key;
}

QStringList TUploadRecord::Parse(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  return text.isEmpty() ? QStringList() : text.split(u'\n');
}
