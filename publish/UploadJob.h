#pragma once

// One upload run, on the worker thread that calls Run: the listing of the output folder with the
// MD5 digest of every file (dropping unchanged ones when only changes are sent), then the
// transfer of the files kept into their folders below the remote root, recording each file sent.
//
// Outcomes: 0 every pending file handled, 1 connection or log-in failed (or an error ended the
// run), 2 the remote root could not be entered, 3 nothing to send (no connection made),
// -1 cancelled.

#include "publish/FTPSettings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

class TFTPClient;

class TUploadJob {
 public:
  struct TPendingFile {
    QString Path;  // below the output folder, "\" between folder names
    QString Digest;
  };

  // uploaded is the record the run updates; cancelled is read between steps and in every block;
  // onFile is the progress event, called on the worker thread.
  TUploadJob(const TFTPSettings& settings, const QString& localRoot, QStringList& uploaded,
             const std::atomic<bool>& cancelled, std::function<void()> onFile);

  int Run();

  const std::vector<TPendingFile>& PendingFiles() const { return Pending; }
  // -1 while listing and connecting, then the index of the file being sent.
  int CurrentIndex() const { return Index; }
  // The path of the file being sent; empty outside the transfer.
  QString CurrentFile() const;
  // Pending files that were not sent: their transfer failed or their folder could not be made.
  int FailedCount() const { return Failed; }

  // The digest of a file's contents as 32 lowercase hexadecimal digits; that of empty content
  // when it cannot be read.
  static QString FileDigest(const QString& fileName);

 private:
  // False when cancelled.
  bool Walk(const QString& folder, const QString& prefix);
  bool Select(const QString& path);
  int Transfer();
  int SendAll(TFTPClient& client);
  void SendFile(TFTPClient& client, class TRemoteFolders& folders, const TPendingFile& file);
  void Fire();

  TFTPSettings Settings;
  QString LocalRoot;
  QStringList& Uploaded;
  const std::atomic<bool>& Cancelled;
  std::function<void()> OnFile;
  std::vector<TPendingFile> Pending;
  std::atomic<int> Index{-1};
  int Failed = 0;
};
