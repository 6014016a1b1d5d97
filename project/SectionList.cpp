#include "project/SectionList.h"

namespace {

bool IsBracketed(const QString& trimmed) {
  return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

}  // namespace

QString TSectionList::TrimBlanks(const QString& line) {
  qsizetype first = 0, last = line.size();
  while (first < last && line[first].unicode() <= 32) ++first;
  while (last > first && line[last - 1].unicode() <= 32) --last;
  return line.mid(first, last - first);
}

std::vector<TSectionEntry> TSectionList::Build(const QStringList& lines,
                                               const QString& projectCaption) {
  return Build(QByteArrayView(lines.join(QStringLiteral("\r\n")).toUtf8()), projectCaption);
}

std::vector<TSectionEntry> TSectionList::Build(QByteArrayView utf8, const QString& projectCaption) {
  std::vector<TSectionEntry> entries;
  entries.push_back(TSectionEntry{projectCaption, siProject, 0});
  QString captionBase = projectCaption;
  int number = 0;
  for (qsizetype start = 0; start <= utf8.size();) {
    qsizetype end = utf8.indexOf(QByteArrayView("\r\n", 2), start);
    if (end < 0) end = utf8.size();
    ++number;
    const QByteArrayView line = TrimBlanks(utf8.sliced(start, end - start));
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      captionBase = QString::fromUtf8(line.sliced(1, line.size() - 2));
      entries.push_back(TSectionEntry{captionBase, line.contains('.') ? siPage : siSection, number});
    } else if (line.size() >= 7 && qstrnicmp(line.data(), "$title ", 7) == 0) {
      entries.back().Caption = captionBase + QStringLiteral(" (") + QString::fromUtf8(line.sliced(7)) + u')';
    }
    start = end + 2;
  }
  return entries;
}

QByteArrayView TSectionList::TrimBlanks(QByteArrayView line) {
  qsizetype first = 0, last = line.size();
  while (first < last && static_cast<unsigned char>(line[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(line[last - 1]) <= 32) --last;
  return line.sliced(first, last - first);
}

QString TSectionList::CaretPage(const QStringList& lines, int caretLine, const QString& indexPage) {
  for (int n = std::min<int>(caretLine, static_cast<int>(lines.size()) - 1); n >= 0; --n) {
    QString line = TrimBlanks(lines[n]);
    if (!IsBracketed(line)) continue;
    return line.contains(u'.') ? line.mid(1, line.size() - 2) : indexPage;
  }
  return indexPage;
}

QString TSectionList::ProjectName(const QString& fileName, const QString& untitled) {
  qsizetype separator = std::max(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u':'));
  separator = std::max(separator, fileName.lastIndexOf(u'/'));
  QString name = fileName.mid(separator + 1);
  qsizetype dot = name.lastIndexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  return name.isEmpty() ? untitled : name;
}
