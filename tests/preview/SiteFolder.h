#pragma once

// A temporary folder with files written by the tests, and reading them back.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TSiteFolder {
 public:
  QString Path(const QString& relative = QString()) const {
    return relative.isEmpty() ? Dir.path() + '/' : Dir.filePath(relative);
  }
  void Write(const QString& relative, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
    QFile file(Path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
    file.write(bytes);
  }
  QByteArray Read(const QString& relative) const {
    QFile file(Path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QTemporaryDir Dir;
};
