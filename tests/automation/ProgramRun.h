#pragma once

// The program itself run by a test: in a scratch folder of its own, with its settings, state
// and data folders there too, so that nothing of the user's is read or written.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct TProgramResult {
  int ExitCode = -1;
  QString Out;
  QString Err;
};

class TProgramFolder {
 public:
  TProgramFolder();

  QString Path(const QString& relative) const { return Dir.filePath(relative); }
  void Write(const QString& relative, const QByteArray& bytes) const;
  QByteArray Read(const QString& relative) const;
  bool Exists(const QString& relative) const;
  // The environment of a run: the XDG folders below this folder, no display.
  QProcessEnvironment Environment() const;

  // Starts the program in the folder; the caller waits for it.
  void Start(QProcess& process, const QStringList& args) const;
  // Runs it to its end (at most two minutes).
  TProgramResult Run(const QStringList& args) const;
  // --run-script with a script of that text, saved as name.
  TProgramResult RunScript(const QByteArray& script, const QStringList& more = {},
                           const QString& name = QStringLiteral("s.js")) const;

 private:
  QTemporaryDir Dir;
};
