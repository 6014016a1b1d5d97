#include "project/RecoveryFile.h"

#include "generator/InkloomError.h"
#include "generator/MiscUtils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QByteArray kHeader = QByteArrayLiteral("Inkloom recovery 1\n");
const QString kSuffix = QStringLiteral(".recovery");

QString StateHome() {
  const QString configured = qEnvironmentVariable("XDG_STATE_HOME");
  if (QDir::isAbsolutePath(configured)) return configured;
  return QDir::homePath() + QStringLiteral("/.local/state");
}

// "shop-1a2b3c4d": the project's name, and a digest of its path that keeps projects of the same
// name in different folders apart.
QString NameFor(const QString& projectFile) {
  const QByteArray digest =
      QCryptographicHash::hash(QFileInfo(projectFile).absoluteFilePath().toUtf8(), QCryptographicHash::Md5);
  return QFileInfo(projectFile).completeBaseName() + u'-' + QString::fromLatin1(digest.toHex().left(8));
}

bool InUse(const QString& file) {
  QLockFile lock(TRecoveryFile::LockPath(file));
  // Only a lock whose program has ended is stale, however old it is; such a lock is taken over,
  // then released.
  lock.setStaleLockTime(0);
  return !lock.tryLock(0);
}

bool Stale(const TRecoveredText& recovered) {
  const QFileInfo project(recovered.Project);
  return !recovered.Project.isEmpty() && project.exists() && project.lastModified() >= recovered.Time;
}

}  // namespace

QString TRecoveryFile::Folder() { return StateHome() + QStringLiteral("/inkloom/recovery/"); }

QString TRecoveryFile::PathFor(const QString& projectFile, const QString& untitledId) {
  const QString name = projectFile.isEmpty() ? QStringLiteral("untitled-") + untitledId : NameFor(projectFile);
  return Folder() + name + kSuffix;
}

QString TRecoveryFile::LockPath(const QString& file) { return file + QStringLiteral(".lock"); }

void TRecoveryFile::Write(const QString& file, const QString& projectFile, const QString& text) {
  QDir().mkpath(QFileInfo(file).absolutePath());
  const QByteArray bytes =
      kHeader + QByteArray::fromStdString(EscapeText(projectFile.toStdString())) + '\n' + text.toUtf8();
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    throw EInkloomError("Cannot write the recovery file \"" + file.toStdString() + "\". " +
                        out.errorString().toStdString());
}

bool TRecoveryFile::Read(const QString& file, TRecoveredText& recovered) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = in.readAll();
  const qsizetype pathEnd = bytes.indexOf('\n', kHeader.size());
  if (!bytes.startsWith(kHeader) || pathEnd < 0) return false;
  const QByteArray path = bytes.mid(kHeader.size(), pathEnd - kHeader.size());
  recovered.File = file;
  recovered.Project = QString::fromStdString(UnescapeText(path.toStdString()));
  recovered.Text = QString::fromUtf8(bytes.mid(pathEnd + 1));
  recovered.Time = QFileInfo(file).lastModified();
  return true;
}

void TRecoveryFile::Remove(const QString& file) {
  if (!file.isEmpty()) QFile::remove(file);
}

QList<TRecoveredText> TRecoveryFile::Pending() {
  QList<TRecoveredText> pending;
  const QFileInfoList files =
      QDir(Folder()).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Time);
  for (const QFileInfo& info : files) {
    TRecoveredText recovered;
    if (InUse(info.filePath()) || !Read(info.filePath(), recovered)) continue;
    if (Stale(recovered))
      Remove(info.filePath());
    else
      pending.append(recovered);
  }
  return pending;
}
