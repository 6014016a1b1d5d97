#pragma once

// The publishing module: the upload settings of the open project and the record of the files
// uploaded with their digests. It keeps them in step with the project through the application
// module's project events: reset when a project starts, read when one opens, written into the
// document when one is saved. It runs the upload and the connection test, each on a worker thread
// of its own and never both at once, and reports through its multi-cast actions: OnFileAction
// for progress (on the worker thread), OnUploadCompleteAction and OnTestCompleteAction when a job
// has ended (on the thread the module lives on).

#include "publish/FTPError.h"
#include "publish/FTPSettings.h"
#include "publish/UploadJob.h"
#include "publish/UploadPlan.h"
#include "publish/UploadReport.h"

#include <QDomElement>

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class TAction;
class TActionHandler;
class TLocalStrings;
class TMultiAction;
class TMultiActionHandler;
class TWorkerThread;

class TFTPUploadModule : public QObject {
  Q_OBJECT
 public:
  explicit TFTPUploadModule(QObject* owner = nullptr);
  // Cancels a job still running and waits for it; its completion event is not fired.
  ~TFTPUploadModule() override;

  // The settings, as the user entered them.
  QString FTPServer;
  QString FTPUserName;
  QString FTPPassword;
  QString FTPPort = QStringLiteral("21");
  QString FTPRemoteRoot;
  bool FTPPassiveMode = true;
  bool UploadChangesOnly = true;
  // FTPS: the SHA-256 fingerprint of a certificate the user trusts although it does not verify.
  QString TrustedCertificate;
  // The protocol: "ftp", "ftps" or "sftp" (TTransferProtocol). The setter keeps a name trimmed
  // and in lower case, an empty one as "ftp"; a name this version does not know is kept as it
  // is, and an upload or test with it fails rather than fall back to another protocol.
  QString Protocol() const { return ProtocolName; }
  void SetProtocol(const QString& protocol);
  // Lines "relative path=MD5 digest", the path with "\" between folders.
  QStringList UploadedFiles;
  // The destination the record describes (Destination() when it was made), kept beside it in
  // the project file; empty while there is no record.
  QString RecordDestination;
  // Whether the file names it: a record of older versions is taken to describe the settings it
  // was read with, and is saved as it was while they stay.
  bool RecordDestinationStated = false;
  // A digest of the protocol, server, port, user name and remote folder the settings name now.
  QString Destination() const;
  // The record describes another destination: to the one the settings name every file is new.
  bool RecordElsewhere() const;
  // A password given anew (typed in the settings dialog, set by a script) serves any server.
  void SetPassword(const QString& password);
  // The stored password was entered for another protocol, server or port than the settings name
  // now: it is neither sent nor saved, and must be given again.
  bool PasswordMovedAway() const;
  // Whether the stored password may go to this protocol, server and port.
  bool PasswordServes(const QString& protocol, const QString& server, const QString& port) const;
  // The credential attributes ("FTPUserName", "FTPPassword") that the last ReadSettings found
  // not in the enciphered form the program writes (typed in by hand, say). Their values are
  // read all the same, as they always were, but are most likely not what the user meant.
  QStringList UnreadableCredentials;
  // Where a save keeps the password: the desktop keyring, under the protocol, user, server and
  // port (the project file then holds none), or the project file's enciphered form. On where a
  // keyring runs; off for a file that holds its password, which stays where it is.
  bool PasswordInKeyring = false;
  bool KeyringAvailable() const;

  // Handlers on the project events; document() gives the project document they work on.
  void AttachProjectEvents(TMultiAction* onNew, TMultiAction* onOpen, TMultiAction* onSave,
                           std::function<QDomDocument()> document);

  void ResetSettings();
  // A project made by the new-project wizard keeps the last server, port, protocol, folder and
  // user name, but neither the password nor the record of another project's uploads.
  void StartNewProject();
  // From the root's Settings element; settings without an attribute keep or clear their value
  // as the project file's rules say. No Settings element changes nothing.
  void ReadSettings(const QDomElement& root);
  // A Settings element (made when missing) with the settings and the record.
  void WriteSettings(QDomElement& root) const;
  // The connection settings as a job takes them.
  TFTPSettings Settings() const;

  // What an upload of localRoot would send now, by the settings and the record; made on the
  // calling thread, the way a run makes its own.
  TUploadPlan PlanUpload(const QString& localRoot) const;

  // Starts an upload run of the files below localRoot (the output folder, ending with a
  // separator) with the settings and the record as they are now. False, and nothing starts,
  // while a job runs.
  bool StartUpload(const QString& localRoot);
  // StartUpload, then waits for the run's end with a local event loop; UploadResult. Building
  // the site first, and marking the project modified after outcomes 0 and -1 (the record may
  // have changed), are the caller's.
  int RunUpload(const QString& localRoot);
  // Starts a connection test with these values instead of the stored settings (the protocol and
  // the trusted certificate are the stored ones); false while a job runs.
  bool StartTest(const QString& server, const QString& userName, const QString& folder,
                 const QString& port, const QString& password);
  // The same with every connection setting given; the test tries settings.RemoteRoot.
  bool StartTest(const TFTPSettings& settings);
  // Asks the running job to stop at its next check.
  void Cancel();
  bool Busy() const;
  // The flag Cancel raises, for a signal handler (setting it is all such a handler may do).
  std::atomic<bool>& CancelFlag() { return Cancelled; }

  // The progress of the run: the files it sends, the index of the one being sent (-1 while
  // listing and connecting) and its relative path (empty outside the transfer).
  int PendingCount() const;
  int CurrentIndex() const;
  QString CurrentFile() const;
  // Files of the last run that were not sent (failed transfers, folders that could not be made),
  // each with why.
  const std::vector<TUploadJob::TFailedFile>& FailedFiles() const;
  int FailedCount() const;
  // Why the last run ended with outcome 1 or 2 (TUploadReport words it); feNone otherwise.
  TFTPError UploadError() const;

  // Outcome of the last upload run: 0 done, 1 connection or log-in failed, 2 remote root not
  // entered, 3 nothing to send, -1 cancelled.
  std::atomic<int> UploadResult{0};
  // Outcome of the last test: 0, 1, 2 or -1 as above; after 2, TestRoot holds the server's folder.
  int TestResult = 0;
  QString TestRoot;
  // Why the last test ended with outcome 1 or 2 (with the fingerprint of a certificate or host
  // key that is not trusted).
  TFTPError TestError;
  int Timeout = 30000;  // milliseconds, for each wait of the client
  // The next run also deletes the record's files that the site no longer has (asked for each
  // run, never saved).
  bool DeleteRemovedFiles = false;
  // Files the last run sent and deleted.
  int SentCount() const { return Job ? Job->SentCount() : 0; }
  int DeletedCount() const { return Job ? Job->DeletedCount() : 0; }

  TMultiAction* OnFileAction = nullptr;
  TMultiAction* OnUploadCompleteAction = nullptr;
  TMultiAction* OnTestCompleteAction = nullptr;

  // The module's texts (table FTPUploadModule) and the sentences of an outcome in them.
  QString GetString(const QString& key) const;
  TUploadReport Report() const;

  // The forwarders of the Upload and Upload Settings commands: the main window's actions of
  // the same names take their captions, state and events from them.
  TActionHandler* UploadAction = nullptr;
  TActionHandler* UploadSettingsAction = nullptr;

  // The windows' part, in the windows' library (FTPUploadCommands.cpp).
  // Binds the forwarders to the application module's actions of the same names.
  void SupplyCommands(TAction* upload, TAction* uploadSettings);
  // An upload run of localRoot with the progress dialog; the project counts as modified after
  // outcomes 0 and -1, since the record may have changed. UploadResult.
  int UploadWithProgress(const QString& localRoot);
  void CmUpload(QObject* sender);
  void CmUploadSettings(QObject* sender);

 private:
  // The stored text of each credential that could not be read, and the value it was read as:
  // while the value stays, a save writes the text back as the user typed it, not the guess.
  struct THandTyped {
    QString Stored;
    QString Read;
  };
  QHash<QString, THandTyped> HandTyped;
  // The protocol, server and port the stored password was read for; empty for one given anew.
  QString PasswordFor;
  static QString PasswordKey(const QString& protocol, const QString& server, const QString& port);
  TLocalStrings* LocalStrings = nullptr;

  TActionHandler* AddCommand(const char* name, const QString& caption);
  // Upload is offered only while no job runs.
  void CanUpload(QObject* sender);
  // The message box of an upload's outcome, and the offer of the settings after 1 and 2.
  void ShowOutcome(int outcome);
  QString ReadCredential(const QDomElement& settings, const QString& name);
  QString CredentialToStore(const QString& name, const QString& value) const;
  QString KeyringKey() const;
  void ReadKeyringPassword();
  bool KeptInKeyring(const QString& password) const;

  QString ProtocolName = QStringLiteral("ftp");
  std::atomic<bool> Cancelled{false};
  std::unique_ptr<TUploadJob> Job;
  TWorkerThread* UploadThread = nullptr;
  TWorkerThread* TestThread = nullptr;

  TMultiActionHandler* NewProjectHandler = nullptr;
  TMultiActionHandler* OpenProjectHandler = nullptr;
  TMultiActionHandler* SaveProjectHandler = nullptr;
};

extern TFTPUploadModule* FTPUploadModule;
