#include "preview/SiteWatcher.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

TSiteWatcher::TSiteWatcher(QObject* owner, int quietMs) : QObject(owner) {
  Quiet.setSingleShot(true);
  Quiet.setInterval(quietMs);
  connect(&Quiet, &QTimer::timeout, this, &TSiteWatcher::Check);
  // Each event starts the quiet time afresh: a burst of changes gives one check.
  connect(&Watcher, &QFileSystemWatcher::fileChanged, &Quiet, qOverload<>(&QTimer::start));
  connect(&Watcher, &QFileSystemWatcher::directoryChanged, &Quiet, qOverload<>(&QTimer::start));
}

void TSiteWatcher::Watch(const QStringList& paths) {
  const bool same = paths == Roots;
  Roots = paths;
  const QByteArray stamp = Rearm();
  // The same files are measured against the state before the rebuild that called this, so that
  // a change made while it ran is not lost; other files from now on.
  if (!same)
    Stamp = stamp;
  else if (stamp != Stamp)
    Quiet.start();
}

void TSiteWatcher::Check() {
  const QByteArray stamp = Rearm();
  if (stamp == Stamp) return;
  Stamp = stamp;
  Q_EMIT Changed();
}

QStringList TSiteWatcher::Entries() const {
  QStringList entries;
  for (const QString& root : Roots) {
    const QFileInfo info(root);
    entries << info.absoluteFilePath();
    if (!info.isDir()) {
      entries << info.absolutePath();
      continue;
    }
    QDirIterator below(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (below.hasNext() && entries.size() < MaxEntries) entries << below.next();
  }
  entries.removeDuplicates();
  return entries.mid(0, MaxEntries);
}

QByteArray TSiteWatcher::StampOf(const QStringList& entries) const {
  QCryptographicHash digest(QCryptographicHash::Sha1);
  for (const QString& entry : entries) {
    struct stat info {};
    // Folders count by their files: the times of the folders change with scratch files.
    if (::stat(QFile::encodeName(entry).constData(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    const qint64 fields[] = {qint64(info.st_size), qint64(info.st_mtim.tv_sec),
                             qint64(info.st_mtim.tv_nsec), qint64(info.st_ino)};
    digest.addData(QFile::encodeName(entry));
    digest.addData(QByteArrayView(reinterpret_cast<const char*>(fields), sizeof fields));
  }
  return digest.result();
}

// Watched afresh before the state is taken: a change after this gives an event, one before it
// is in the state.
QByteArray TSiteWatcher::Rearm() {
  const QStringList watched = Watcher.files() + Watcher.directories();
  if (!watched.isEmpty()) Watcher.removePaths(watched);
  const QStringList entries = Entries();
  QStringList existing;
  for (const QString& entry : entries)
    if (QFileInfo::exists(entry)) existing << entry;
  if (!existing.isEmpty()) Watcher.addPaths(existing);
  return StampOf(entries);
}
