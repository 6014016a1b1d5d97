#pragma once

// The sentences that report an upload: the outcome of a run with the server and the cause of a
// failure, a line for each file not sent, and the plan of a run. The texts come from the
// publishing module's table (section FTPUploadModule) in whatever language the caller looks
// them up: --upload prints them in English, the windows can show them in theirs.

#include "publish/FTPError.h"
#include "publish/FTPSettings.h"
#include "publish/UploadPlan.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class TUploadReport {
 public:
  // The table's message text of a key.
  using TTexts = std::function<QString(const char* key)>;

  explicit TUploadReport(TTexts texts) : Texts(std::move(texts)) {}

  // The outcome of a run (0, 1, 2, 3 or -1, as UploadResult) with these settings; why is the
  // run's error for 1 and 2, failedCount the number of files not sent.
  QString Outcome(int outcome, const TFTPError& why, const TFTPSettings& settings,
                  int failedCount) const;
  // "failed: img/a.png: 553 Could not create file."; a file that was to be deleted:
  // "not deleted: old.html: 550 No such file."
  QString FailedFile(const QString& path, const TFTPError& why, bool deletion = false) const;
  // "Files sent: 3, deleted: 1, failed: 0."
  QString Counts(int sent, int deleted, int failed) const;
  // The cause alone, without a final stop: "connection refused", "530 Login incorrect".
  QString Cause(const TFTPError& why) const;
  // A line for a file of a plan, and the plan's summary.
  QString PlannedFile(const TUploadPlan::TFile& file) const;
  QString PlanSummary(const TUploadPlan& plan) const;
  // A line for a file of the record that the site no longer has.
  QString RemovedFile(const QString& path) const;

  // The table's text of key with each "%s" and "%d" replaced by the next of args, in order.
  QString Text(const char* key, const QStringList& args = {}) const;

  // A path of the record as the user knows it, with "/" between folder names.
  static QString DisplayPath(const QString& recordPath);
  // "host:port", with an IPv6 address in brackets; the port is the protocol's standard one
  // when the setting holds none.
  static QString ServerText(const TFTPSettings& settings);
  // The server as known_hosts and ssh-keygen -R name it: "host", or "[host]:port" off port 22.
  static QString KnownHostsName(const TFTPSettings& settings);

 private:
  QString ConnectionFailure(const TFTPError& why, const TFTPSettings& settings) const;
  QString RootFailure(const TFTPError& why, const TFTPSettings& settings) const;
  // An FTPS certificate or SSH host key that is not trusted, with its fingerprint.
  QString TrustFailure(const TFTPError& why, const TFTPSettings& settings) const;
  // A detail from a server or the system, fit to print: no control characters, no final stop.
  static QString Clean(const std::string& detail);

  TTexts Texts;
};
