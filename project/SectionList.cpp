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
  std::vector<TSectionEntry> entries;
  entries.push_back(TSectionEntry{projectCaption, siProject, 0});
  QString captionBase = projectCaption;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    QString line = TrimBlanks(lines[n]);
    if (IsBracketed(line) && line.size() > 2) {
      captionBase = line.mid(1, line.size() - 2);
      entries.push_back(TSectionEntry{captionBase, line.contains(u'.') ? siPage : siSection,
                                      static_cast<int>(n + 1)});
    } else if (line.size() >= 7 && line.left(7).compare(QStringLiteral("$title "), Qt::CaseInsensitive) == 0) {
      entries.back().Caption = captionBase + QStringLiteral(" (") + line.mid(7) + u')';
    }
  }
  return entries;
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
