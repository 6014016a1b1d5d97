#pragma once

// What an upload run sends: every file below the output folder with its size and MD5 digest,
// less those whose digest equals the one recorded at their last upload when only changes are
// sent. The upload job chooses its files this way; --upload --dry-run and the settings dialog
// make the same plan to show what a run would send. It also lists the files of the record that
// the site no longer has, which a run may delete from the server.

#include "publish/UploadPath.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

class TUploadPlan {
 public:
  struct TFile {
    QString Path;  // below the output folder, "\" between folder names
    QString Digest;
    qint64 Size = 0;
  };

  TUploadPlan() = default;
  // localRoot ends with a separator; record holds lines "path=digest".
  TUploadPlan(const QString& localRoot, const QStringList& record, bool changesOnly);

  // Walks the output folder: hidden entries are left out, links to folders not followed, the
  // order is the file system's. onKept is called after each file kept. False when cancelled
  // (read before each file) stopped the walk.
  bool Make(const std::atomic<bool>* cancelled = nullptr,
            const std::function<void()>& onKept = {});

  const std::vector<TFile>& Files() const { return Kept; }
  // The record describes another destination, so every file goes (the plan says so).
  bool FreshDestination = false;
  int UnchangedCount() const { return Unchanged; }
  // The record's paths (in its spelling) that the output folder no longer has; only plain
  // paths (TUploadPath::IsPlain), so that none names a place outside the remote folder.
  const QStringList& Removed() const { return Gone; }
  qint64 TotalSize() const;

  // The digest of a file's contents as 32 lowercase hexadecimal digits, and the number of bytes
  // read; those of empty content when it cannot be read.
  static QString FileDigest(const QString& fileName, qint64* size = nullptr);

  // The paths below the output folder as Make found it: what a run may read.
  const TUploadPath& Paths() const { return LocalPaths; }

 private:
  bool Walk(const QString& folder, const QString& prefix);
  void Select(const QString& path);
  void ListRemoved();

  QString LocalRoot;
  TUploadPath LocalPaths;  // the output folder's, found when the plan is made
  QStringList Record;
  bool ChangesOnly = true;
  const std::atomic<bool>* Cancelled = nullptr;
  std::function<void()> OnKept;
  std::vector<TFile> Kept;
  int Unchanged = 0;
  QSet<QString> Present;  // TUploadRecord::Key of every file found
  QStringList Gone;
};
