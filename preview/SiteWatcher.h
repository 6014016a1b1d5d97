#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Watches the files a site is built from (the project file, theme folders and archives) and
// tells once a burst of changes has been quiet for a while. Editors often save by writing a new
// file and renaming it over the old one, which drops the old file from the watch: so the folder
// of every watched file is watched too, and every path is added again after each burst. Whether
// anything changed is decided by the size, time and identity of the watched files, so that an
// editor's scratch files beside the project cause no rebuild. Folders are watched with everything
// below them, up to MaxEntries entries in all.
class TSiteWatcher : public QObject {
  Q_OBJECT
 public:
  static constexpr int DefaultQuietMs = 200;
  static constexpr int MaxEntries = 4096;

  explicit TSiteWatcher(QObject* owner = nullptr, int quietMs = DefaultQuietMs);

  // Watches these files and folders from now on (they need not exist yet); the state they are
  // in now is the one later changes are measured against.
  void Watch(const QStringList& paths);

 Q_SIGNALS:
  // The watched files changed since the last Watch or Changed.
  void Changed();

 private:
  QFileSystemWatcher Watcher;
  QTimer Quiet;
  QStringList Roots;
  QByteArray Stamp;

  void Check();
  // The watched paths: each root, the folder of each file root, and everything below the folders.
  QStringList Entries() const;
  // A digest of the name, size, time and identity of each watched file.
  QByteArray StampOf(const QStringList& entries) const;
  // Watches the entries afresh (a file replaced by rename is dropped by the watch) and returns
  // their state.
  QByteArray Rearm();
};
