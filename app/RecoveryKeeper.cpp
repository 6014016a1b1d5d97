#include "app/RecoveryKeeper.h"

#include "project/RecoveryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

TRecoveryKeeper::TRecoveryKeeper(std::function<QString()> text, std::function<QString()> projectFile,
                                 QObject* owner)
    : QObject(owner),
      Text(std::move(text)),
      ProjectFile(std::move(projectFile)),
      UntitledId(QString::number(QCoreApplication::applicationPid())) {
  Quiet.setSingleShot(true);
  Longest.setSingleShot(true);
  connect(&Quiet, &QTimer::timeout, this, &TRecoveryKeeper::Flush);
  connect(&Longest, &QTimer::timeout, this, &TRecoveryKeeper::Flush);
}

TRecoveryKeeper::~TRecoveryKeeper() = default;

void TRecoveryKeeper::Changed() {
  Quiet.start(QuietDelay);
  if (!Longest.isActive()) Longest.start(LongestDelay);
}

void TRecoveryKeeper::Flush() {
  if (!Quiet.isActive() && !Longest.isActive()) return;
  Quiet.stop();
  Longest.stop();
  Write();
}

void TRecoveryKeeper::Write() {
  const QString project = ProjectFile();
  TakeFile(TRecoveryFile::PathFor(project, UntitledId));
  try {
    TRecoveryFile::Write(File, project, Text());
  } catch (const std::exception& error) {
    // Not worth interrupting the user: the text itself is still in the editor.
    std::fprintf(stderr, "inkloom: %s\n", error.what());
  }
}

// The file of the current project, locked; a file of the project open before is removed.
void TRecoveryKeeper::TakeFile(const QString& file) {
  if (file == File) return;
  Discard();
  File = file;
  // Unsaved text is for this user's eyes only.
  const QString folder = QFileInfo(file).absolutePath();
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  Lock = std::make_unique<QLockFile>(TRecoveryFile::LockPath(file));
  Lock->setStaleLockTime(0);
  Lock->tryLock(0);
}

void TRecoveryKeeper::Discard() {
  Quiet.stop();
  Longest.stop();
  TRecoveryFile::Remove(File);
  File.clear();
  Lock.reset();  // unlocks and removes the lock file
}
