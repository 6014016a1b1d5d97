#include "generator/ThemeFiles.h"

#include "generator/MiscUtils.h"

#include <QDir>
#include <QFileInfo>

TThemeFiles::TThemeFiles(const QString& root) : Root(RealPath(root)) {}

QString TThemeFiles::Inside(const QString& path) const {
  const QString real = RealPath(path);
  return PathWithin(Root, real) ? real : QString();
}

void TThemeFiles::Collect(const QString& folder, const std::string& folderPart, const QString& pattern) {
  const QString real = Inside(folder);
  if (real.isEmpty()) {
    SkipList.push_back({folderPart.substr(0, folderPart.size() - 1), tsLeadsOut});
    return;
  }
  Visited.insert(real);
  for (const QString& name : MatchingNames(real, pattern, false))
    AddEntry(real + u'/' + name, folderPart + name.toStdString());
}

void TThemeFiles::AddEntry(const QString& path, const std::string& relative) {
  if (relative.find('\\') != std::string::npos) {
    SkipList.push_back({relative, tsBackslash});
    return;
  }
  const QString real = Inside(path);
  if (real.isEmpty()) {
    if (QFileInfo(path).isSymLink()) SkipList.push_back({relative, tsLeadsOut});
    return;
  }
  const QFileInfo info(real);
  if (info.isDir())
    AddFolder(real, relative);
  else if (info.isFile())
    FileList.push_back({real, relative});
}

void TThemeFiles::CollectAll() {
  if (Root.isEmpty() || !Visited.insert(Root).second) return;
  AddNames(Root, std::string());
}

// Hidden entries inside a folder come with it, as the folder is copied whole.
void TThemeFiles::AddFolder(const QString& real, const std::string& relative) {
  if (!Visited.insert(real).second) return;
  AddNames(real, relative + '/');
}

void TThemeFiles::AddNames(const QString& real, const std::string& prefix) {
  const QStringList names =
      QDir(real).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) AddEntry(real + u'/' + name, prefix + name.toStdString());
}
