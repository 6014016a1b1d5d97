#include "publish/UploadJob.h"

#include "publish/RemoteFolders.h"
#include "publish/TransferClient.h"
#include "publish/UploadPath.h"
#include "publish/UploadRecord.h"

#include <memory>
#include <utility>

namespace {

std::string Bytes(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TUploadJob::TUploadJob(const TFTPSettings& settings, const QString& localRoot,
                       QStringList& uploaded, const std::atomic<bool>& cancelled,
                       std::function<void()> onFile)
    : Settings(settings),
      LocalRoot(localRoot),
      Uploaded(uploaded),
      Cancelled(cancelled),
      OnFile(std::move(onFile)) {}

QString TUploadJob::CurrentFile() const {
  int index = Index;
  if (index < 0 || index >= static_cast<int>(PendingFiles().size())) return QString();
  return PendingFiles()[static_cast<size_t>(index)].Path;
}

void TUploadJob::Fire() {
  if (OnFile) OnFile();
}

int TUploadJob::Run() {
  Index = -1;
  Failed.clear();
  Sent = Deleted = 0;
  Why = TFTPError();
  Plan = TUploadPlan(LocalRoot, Uploaded, Settings.ChangesOnly);
  try {
    bool listed = Plan.Make(&Cancelled, [this] { Fire(); });
    Fire();
    if (!listed || Cancelled) return -1;
    int result = Transfer();
    return Cancelled ? -1 : result;
  } catch (...) {
    // The client went with the stack; the run ends as one that could not go on.
    return Cancelled ? -1 : 1;
  }
}

int TUploadJob::Stop(const TFTPError& why, int outcome) {
  Why = why;
  return outcome;
}

int TUploadJob::Transfer() {
  const bool deleting = Settings.DeleteRemoved && !Plan.Removed().isEmpty();
  if (Plan.Files().empty() && !deleting) return 3;
  TFTPError why;
  std::unique_ptr<TTransferClient> client = TTransferClient::Make(Settings, &Cancelled, why);
  if (!client) return Stop(why, 1);
  client->SetOnProgress([this](TTransferClient&, int64_t, bool& abort, int64_t) {
    abort = Cancelled;
    Fire();
  });
  if (!client->Connect()) return Stop(client->LastError(), 1);
  int result = SendAll(*client);
  client->Disconnect();
  return result;
}

int TUploadJob::SendAll(TTransferClient& client) {
  if (Settings.RemoteRoot.isEmpty()) return Stop(TFTPError(TFTPError::feNotSet), 2);
  if (!client.SetCurrentDir(Bytes(Settings.RemoteRoot))) return Stop(client.LastError(), 2);
  std::string base = Bytes(Settings.RemoteRoot);
  // Every folder change names a full path; a relative root is made absolute, since the root
  // itself is now the server's current folder.
  if (base[0] != '/') {
    std::string entered = client.GetCurrentDir();
    if (!entered.empty()) base = entered;
  }
  if (base.back() != '/') base += '/';
  TRemoteFolders folders(client, base);
  const std::vector<TPendingFile>& pending = Plan.Files();
  for (size_t i = 0; i < pending.size(); ++i) {
    Index = static_cast<int>(i);
    Fire();
    SendFile(client, folders, pending[i]);
    if (Cancelled) break;
    Fire();
  }
  if (Settings.DeleteRemoved) DeleteAll(client, base);
  return 0;
}

void TUploadJob::DeleteAll(TTransferClient& client, const std::string& base) {
  for (const QString& path : Plan.Removed()) {
    if (Cancelled) return;
    DeleteOne(client, base, path);
    Fire();
  }
}

// Checked again here: a path that could leave the remote folder is never sent to the server.
void TUploadJob::DeleteOne(TTransferClient& client, const std::string& base, const QString& path) {
  if (!TUploadPath::IsPlain(path)) {
    Failed.push_back({path, TFTPError(TFTPError::feOutsideSite), true});
  } else if (client.DeleteFile(base + Bytes(QString(path).replace(u'\\', u'/')))) {
    TUploadRecord(Uploaded).Remove(path);
    ++Deleted;
  } else if (!Cancelled) {
    Failed.push_back({path, client.LastError(), true});
  }
}

void TUploadJob::SendFile(TTransferClient& client, TRemoteFolders& folders,
                          const TPendingFile& file) {
  // Checked again here, whatever made the plan: no file outside the output folder is read and
  // no remote path leaves the remote folder.
  const QString local = Plan.Paths().LocalFile(file.Path);
  if (local.isEmpty()) {
    Failed.push_back({file.Path, TFTPError(TFTPError::feOutsideSite)});
    return;
  }
  int cut = static_cast<int>(file.Path.lastIndexOf(u'\\')) + 1;
  // A folder that can be neither entered nor made: its files are left alone (not sent into
  // some other folder) and not recorded.
  if (!folders.Enter(Bytes(file.Path.left(cut)))) {
    Failed.push_back({file.Path, folders.LastError()});
    return;
  }
  std::string remote = Bytes(file.Path.mid(cut));
  client.DeleteFile(remote);
  if (client.PutFile(Bytes(local), remote)) {
    TUploadRecord(Uploaded).Store(file.Path, file.Digest);
    ++Sent;
  } else if (!Cancelled)  // the file the user stopped is no failure
    Failed.push_back({file.Path, client.LastError()});
}
