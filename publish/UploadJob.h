#pragma once

// One upload run, on the worker thread that calls Run: the plan of the files to send (the
// output folder listed with the MD5 digest of every file, unchanged ones dropped when only
// changes are sent), then the transfer of the files kept into their folders below the remote
// root by the settings' protocol (FTP, FTPS or SFTP), recording each file the server confirmed
// whole. With Settings.DeleteRemoved it then deletes the record's files that the site no longer
// has (only those: never a file the program did not upload), dropping the record line of each
// file the server deleted.
//
// Outcomes: 0 every pending file handled, 1 connection or log-in failed (or an error ended the
// run), 2 the remote root could not be entered, 3 nothing to send (no connection made),
// -1 cancelled. Error tells why a run ended with 1 or 2, FailedFiles why files were not sent.

#include "publish/FTPError.h"
#include "publish/FTPSettings.h"
#include "publish/UploadPlan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

class TTransferClient;
class TRemoteFolders;

class TUploadJob {
 public:
  using TPendingFile = TUploadPlan::TFile;
  struct TFailedFile {
    QString Path;  // as in the record, "\" between folder names
    TFTPError Error;
    bool Deletion = false;  // the file was to be deleted, and the server refused
  };

  // uploaded is the record the run updates; cancelled is read between steps and in every block;
  // onFile is the progress event, called on the worker thread.
  TUploadJob(const TFTPSettings& settings, const QString& localRoot, QStringList& uploaded,
             const std::atomic<bool>& cancelled, std::function<void()> onFile);

  int Run();

  const std::vector<TPendingFile>& PendingFiles() const { return Plan.Files(); }
  // -1 while listing and connecting, then the index of the file being sent.
  int CurrentIndex() const { return Index; }
  // The path of the file being sent; empty outside the transfer.
  QString CurrentFile() const;
  // Pending files that were not sent: their transfer failed or their folder could not be made
  // (the file a cancel stopped is not among them).
  const std::vector<TFailedFile>& FailedFiles() const { return Failed; }
  int FailedCount() const { return static_cast<int>(Failed.size()); }
  // Files the run sent, and files it deleted from the server.
  int SentCount() const { return Sent; }
  int DeletedCount() const { return Deleted; }
  // Why the run ended with outcome 1 or 2; feNone otherwise.
  const TFTPError& Error() const { return Why; }

 private:
  int Transfer();
  int SendAll(TTransferClient& client);
  void SendFile(TTransferClient& client, TRemoteFolders& folders, const TPendingFile& file);
  void DeleteAll(TTransferClient& client, const std::string& base);
  void DeleteOne(TTransferClient& client, const std::string& base, const QString& path);
  // Keeps why the run could not go on; outcome.
  int Stop(const TFTPError& why, int outcome);
  void Fire();

  TFTPSettings Settings;
  QString LocalRoot;
  QStringList& Uploaded;
  const std::atomic<bool>& Cancelled;
  std::function<void()> OnFile;
  TUploadPlan Plan;
  std::atomic<int> Index{-1};
  std::vector<TFailedFile> Failed;
  TFTPError Why;
  int Sent = 0;
  int Deleted = 0;
};
