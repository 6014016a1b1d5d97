#include "services/RecentProjects.h"

#include "services/ConfigFile.h"

#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("RecentProjects");

QString Key(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

void TRecentProjects::Load(const TConfigFile& config) {
  Names.clear();
  for (int i = 0; i < MaxCount; ++i) {
    const QString name = config.ReadString(kSection, Key(i), QString());
    if (!name.isEmpty()) Names.append(name);
  }
}

void TRecentProjects::Save(TConfigFile& config) const {
  const QStringList names = Existing();
  for (int i = 0; i < MaxCount; ++i) config.WriteString(kSection, Key(i), names.value(i));
}

void TRecentProjects::Add(const QString& fileName) {
  const QString name = QFileInfo(fileName).absoluteFilePath();
  Names.removeAll(name);
  Names.prepend(name);
  while (Names.size() > MaxCount) Names.removeLast();
}

QStringList TRecentProjects::Existing() const {
  QStringList names;
  for (const QString& name : Names)
    if (QFileInfo(name).isFile()) names.append(name);
  return names;
}
