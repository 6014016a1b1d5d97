#pragma once

// A fresh temporary folder for one test, removed with it; XDG_CONFIG_HOME points into it while
// it exists, so that no test touches the real settings.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();

  QString Path(const QString& relative = QString()) const;
  // The bytes of a file below the folder; empty when it cannot be read.
  QByteArray Read(const QString& relative) const;
  void Write(const QString& relative, const QByteArray& bytes) const;

 private:
  QTemporaryDir Dir;
  QByteArray OldConfigHome;
  bool HadConfigHome;
};
