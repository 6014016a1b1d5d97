#include "project/Formatting.h"

#include <QFileInfo>

namespace {

// The heading level a line begins with: "= " 1, "== " 2, "=== " 3, else 0.
int HeadingLevel(const QString& line) {
  for (int level = 1; level <= 3; ++level)
    if (line.startsWith(QString(level, u'=') + u' ')) return level;
  return 0;
}

QString HeadingPrefix(int level) { return QString(level, u'=') + u' '; }

bool StartsWithFolder(const QString& file, const QString& folder) {
  return !folder.isEmpty() && file.startsWith(folder, Qt::CaseInsensitive);
}

}  // namespace

QString TFormatting::ToggleHeading(const QString& line, int level) {
  const int current = HeadingLevel(line);
  const QString rest = line.mid(current == 0 ? 0 : current + 1);
  return current == level ? rest : HeadingPrefix(level) + rest;
}

QString TFormatting::ToggleListMarker(const QString& line, QChar other, QChar own) {
  if (line.startsWith(QString(other) + u' ')) return QString(own) + line.mid(1);
  if (line.startsWith(QString(own) + u' ')) return line.mid(2);
  return QString(own) + u' ' + line;
}

QString TFormatting::MakeImagePath(const QString& file, const QString& outputFolder,
                                   const QString& templateFolder) {
  QString path = file;
  if (StartsWithFolder(file, outputFolder))
    path = file.mid(outputFolder.size());
  else if (StartsWithFolder(file, templateFolder))
    path = file.mid(templateFolder.size());
  else if (!templateFolder.isEmpty())
    return QString();
  return path.replace(u'\\', u'/');
}

QString TFormatting::ImageCopyTarget(const QString& file, const QString& templateFolder) {
  return templateFolder + QStringLiteral("img/") + QFileInfo(file).fileName();
}
