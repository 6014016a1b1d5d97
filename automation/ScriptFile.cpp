#include "automation/ScriptFile.h"

#include "project/ProjectFile.h"

#include <QFile>

bool TScriptFile::Read(const QString& path, QString& text, QString& error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString();
    return false;
  }
  text = TProjectFile::DecodePlainText(file.readAll());
  return true;
}
