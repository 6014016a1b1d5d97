#pragma once

// A project folder in a temporary folder with a generator pointed at it, for the generator's
// tests: the project's files are written and read by their paths below the project folder.

#include "generator/Generator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>

class TSite {
 public:
  TSite() {
    Folder = Root.filePath(QStringLiteral("project"));
    QDir().mkpath(Folder);
    Generator.SetProjectFolder(Folder.toStdString());
    Generator.SetThemesFolder(Root.filePath(QStringLiteral("themes")).toStdString());
  }

  int Generate(const std::string& utf8) {
    return Generator.Generate(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  }

  void Write(const QString& relative, const std::string& bytes) {
    QString path = QDir(Folder).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  bool Exists(const QString& relative) const {
    return QFileInfo(QDir(Folder).filePath(relative)).isFile();
  }

  std::string Read(const QString& relative) const {
    QFile file(QDir(Folder).filePath(relative));
    if (!file.open(QIODevice::ReadOnly)) return "<missing " + relative.toStdString() + ">";
    QByteArray data = file.readAll();
    return std::string(data.constData(), static_cast<size_t>(data.size()));
  }

  std::string Variable(const std::string& name) const {
    std::string value;
    return Generator.GetVariable(name, value) ? value : "<not found>";
  }

  QTemporaryDir Root;
  QString Folder;
  THTMLGenerator Generator;
};
