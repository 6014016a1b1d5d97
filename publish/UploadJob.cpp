#include "publish/UploadJob.h"

#include "generator/MiscUtils.h"
#include "publish/FTPClient.h"
#include "publish/RemoteFolders.h"
#include "publish/UploadRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
  if (index < 0 || index >= static_cast<int>(Pending.size())) return QString();
  return Pending[static_cast<size_t>(index)].Path;
}

QString TUploadJob::FileDigest(const QString& fileName) {
  QCryptographicHash hash(QCryptographicHash::Md5);
  QFile file(fileName);
  if (file.open(QIODevice::ReadOnly)) hash.addData(&file);
  return QString::fromLatin1(hash.result().toHex());
}

void TUploadJob::Fire() {
  if (OnFile) OnFile();
}

int TUploadJob::Run() {
  Index = -1;
  Failed = 0;
  Pending.clear();
  try {
    bool listed = Walk(FileSystemPath(Bytes(LocalRoot)), QString());
    Fire();
    if (!listed || Cancelled) return -1;
    int result = Transfer();
    return Cancelled ? -1 : result;
  } catch (...) {
    // The client went with the stack; the run ends as one that could not go on.
    return Cancelled ? -1 : 1;
  }
}

bool TUploadJob::Walk(const QString& folder, const QString& prefix) {
  // Hidden entries (names beginning with ".") and special files are not listed; the order is
  // the file system's.
  const QFileInfoList entries = QDir(folder).entryInfoList(
      QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir()) {
      // A link to a folder is not followed: it could lead back up.
      if (!entry.isSymLink() && !Walk(entry.filePath(), prefix + entry.fileName() + u'\\'))
        return false;
    } else if (!Select(prefix + entry.fileName())) {
      return false;
    }
  }
  return true;
}

bool TUploadJob::Select(const QString& path) {
  if (Cancelled) return false;
  QString digest = FileDigest(FileSystemPath(Bytes(LocalRoot + path)));
  if (Settings.ChangesOnly && TUploadRecord(Uploaded).Digest(path) == digest) return true;
  Pending.push_back({path, digest});
  Fire();
  return true;
}

int TUploadJob::Transfer() {
  if (Pending.empty()) return 3;
  auto client = std::make_unique<TFTPClient>();
  client->SetCancelFlag(&Cancelled);
  client->SetTimeout(Settings.Timeout);
  client->SetOnProgress([this](TFTPClient&, int64_t, bool& abort, int64_t) {
    abort = Cancelled;
    Fire();
  });
  client->SetServer(Bytes(Settings.Server));
  client->SetPort(Bytes(Settings.Port));
  client->SetUserName(Bytes(Settings.UserName));
  client->SetPassword(Bytes(Settings.Password));
  client->SetBinaryMode(true);
  client->SetPassiveMode(Settings.PassiveMode);
  if (!client->Connect()) return 1;
  int result = SendAll(*client);
  client->Disconnect();
  return result;
}

int TUploadJob::SendAll(TFTPClient& client) {
  if (Settings.RemoteRoot.isEmpty() || !client.SetCurrentDir(Bytes(Settings.RemoteRoot))) return 2;
  std::string base = Bytes(Settings.RemoteRoot);
  // Every folder change names a full path; a relative root is made absolute, since the root
  // itself is now the server's current folder.
  if (base[0] != '/') {
    std::string entered = client.GetCurrentDir();
    if (!entered.empty()) base = entered;
  }
  if (base.back() != '/') base += '/';
  TRemoteFolders folders(client, base);
  for (size_t i = 0; i < Pending.size(); ++i) {
    Index = static_cast<int>(i);
    Fire();
    SendFile(client, folders, Pending[i]);
    if (Cancelled) break;
    Fire();
  }
  return 0;
}

void TUploadJob::SendFile(TFTPClient& client, TRemoteFolders& folders, const TPendingFile& file) {
  int cut = static_cast<int>(file.Path.lastIndexOf(u'\\')) + 1;
  // A folder that can be neither entered nor made: its files are left alone (not sent into
  // some other folder) and not recorded.
  if (!folders.Enter(Bytes(file.Path.left(cut)))) {
    ++Failed;
    return;
  }
  std::string remote = Bytes(file.Path.mid(cut));
  client.DeleteFile(remote);
  if (client.PutFile(Bytes(LocalRoot + file.Path), remote))
    TUploadRecord(Uploaded).Store(file.Path, file.Digest);
  else
    ++Failed;
}
