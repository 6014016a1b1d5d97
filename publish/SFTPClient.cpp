#include "publish/SFTPClient.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include <vector>

#include "generator/MiscUtils.h"
#include "publish/KnownHosts.h"

namespace {

// A string libssh made, copied and freed.
std::string Take(char* text) {
  std::string copy = text ? text : "";
  ssh_string_free_char(text);
  return copy;
}

std::string WithoutLineBreak(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

TSFTPClient::~TSFTPClient() {
  Disconnect();
}

template <typename TCall>
auto TSFTPClient::Watched(TCall call) -> decltype(call()) {
  Watch.Arm(Socket.Descriptor(), Timeout, Cancel);
  auto result = call();
  Struck = Watch.Disarm();
  return result;
}

bool TSFTPClient::Connect() {
  Disconnect();
  std::vector<TSocketAddress> addresses = ResolveServer();
  if (addresses.empty()) return false;
  if (!Socket.ConnectFirst(addresses, Timeout, Cancel)) return Fail(Socket.Failure());
  Watch.Reset();
  Struck = TFTPError::feNone;
  if (StartSession() && CheckHostKey() && LogIn() && StartSftp()) return true;
  Close();
  return false;
}

bool TSFTPClient::StartSession() {
  Session = ssh_new();
  if (!Session || !SetOptions())
    return Fail(TFTPError(TFTPError::feSecureChannel, "cannot set up an SSH session"));
  return Watched([this] { return ssh_connect(Session); }) == SSH_OK || SessionFailed();
}

bool TSFTPClient::SetOptions() {
  const std::string host(TrimBlanks(Server));
  const std::string folder = TKnownHosts::Folder(), knownHosts = TKnownHosts::Path();
  const unsigned int port = PortToUse();
  const long seconds = Timeout / 1000 + 1;  // the watch ends a wait first
  const int quiet = SSH_LOG_NOLOG;
  const bool readConfig = false;
  return Option(SSH_OPTIONS_HOST, host.c_str()) && Option(SSH_OPTIONS_PORT, &port) &&
         (UserName.empty() || Option(SSH_OPTIONS_USER, UserName.c_str())) &&
         Option(SSH_OPTIONS_SSH_DIR, folder.c_str()) &&
         Option(SSH_OPTIONS_KNOWNHOSTS, knownHosts.c_str()) &&
         Option(SSH_OPTIONS_PROCESS_CONFIG, &readConfig) &&
         Option(SSH_OPTIONS_LOG_VERBOSITY, &quiet) && Option(SSH_OPTIONS_TIMEOUT, &seconds) &&
         HandOverSocket();
}

bool TSFTPClient::Option(ssh_options_e option, const void* value) {
  return ssh_options_set(Session, option, value) == 0;
}

// libssh closes the handle it is given; the watch shuts the connection down through ours.
bool TSFTPClient::HandOverSocket() {
  socket_t handle = ::fcntl(Socket.Descriptor(), F_DUPFD_CLOEXEC, 0);
  if (handle < 0) return false;
  if (Option(SSH_OPTIONS_FD, &handle)) return true;
  ::close(handle);
  return false;
}

bool TSFTPClient::CheckHostKey() {
  const ssh_known_hosts_e known = ssh_session_is_known_server(Session);
  if (known == SSH_KNOWN_HOSTS_OK) return true;
  if (known == SSH_KNOWN_HOSTS_ERROR) return SessionFailed();
  // A key of another type than the one known is no less suspect than another key.
  const bool changed = known == SSH_KNOWN_HOSTS_CHANGED || known == SSH_KNOWN_HOSTS_OTHER;
  TFTPError why(changed ? TFTPError::feHostKeyChanged : TFTPError::feHostKeyUnknown,
                TKnownHosts::Path());
  why.Fingerprint = HostKeyFingerprint();
  char* entry = nullptr;
  if (!changed && ssh_session_export_known_hosts_entry(Session, &entry) == SSH_OK)
    why.HostKeyEntry = WithoutLineBreak(Take(entry));
  return Fail(why);
}

std::string TSFTPClient::HostKeyFingerprint() {
  ssh_key key = nullptr;
  unsigned char* hash = nullptr;
  size_t size = 0;
  std::string text;
  if (ssh_get_server_publickey(Session, &key) == SSH_OK &&
      ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &size) == 0)
    text = Take(ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, size));
  ssh_clean_pubkey_hash(&hash);
  ssh_key_free(key);
  return text;
}

bool TSFTPClient::LogIn() {
  const bool keys = Password.empty();
  const int result = Watched([&] {
    return keys ? ssh_userauth_publickey_auto(Session, nullptr, nullptr)
                : ssh_userauth_password(Session, nullptr, Password.c_str());
  });
  if (result == SSH_AUTH_SUCCESS) return true;
  if (result == SSH_AUTH_ERROR || Struck != TFTPError::feNone) return SessionFailed();
  return Fail(TFTPError(TFTPError::feLogInRefused, keys ? "none of the user's keys was accepted"
                                                        : "the password was not accepted"));
}

bool TSFTPClient::StartSftp() {
  Sftp = Watched([this] { return sftp_new(Session); });
  if (!Sftp || Watched([this] { return sftp_init(Sftp); }) != SSH_OK) return SessionFailed();
  // Where the server puts the user: the current folder to start from.
  Current = Take(Watched([this] { return sftp_canonicalize_path(Sftp, "."); }));
  if (Current.empty()) Current = "/";
  return true;
}

void TSFTPClient::Disconnect() {
  Close();
}

void TSFTPClient::Close() {
  if (Sftp) Watched([this] { return (sftp_free(Sftp), 0); });
  Sftp = nullptr;
  if (Session && Struck == TFTPError::feNone && ssh_is_connected(Session))
    Watched([this] { return (ssh_disconnect(Session), 0); });
  ssh_free(Session);
  Session = nullptr;
  Socket.Close();
}

bool TSFTPClient::SessionFailed() {
  if (Struck != TFTPError::feNone) return Fail(TFTPError(Struck));
  return Fail(TFTPError(TFTPError::feSecureChannel, ssh_get_error(Session)));
}

bool TSFTPClient::OperationFailed() {
  if (Struck != TFTPError::feNone) return Fail(TFTPError(Struck));
  if (!ssh_is_connected(Session)) return Fail(TFTPError(TFTPError::feConnectionClosed));
  return Fail(TFTPError(TFTPError::feReply, ssh_get_error(Session)));
}

bool TSFTPClient::Settle(bool result) {
  if (!result && Session && (Struck != TFTPError::feNone || !ssh_is_connected(Session))) Close();
  return result;
}

bool TSFTPClient::Sendable(const std::string& name) {
  if (!Connected()) return Fail(TFTPError(TFTPError::feNotConnected));
  return name.find('\0') == std::string::npos || Fail(TFTPError(TFTPError::feUnsendableName));
}

std::string TSFTPClient::FullPath(const std::string& name) const {
  std::string full = !name.empty() && name[0] == '/' ? name : Current + "/" + name;
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

bool TSFTPClient::SetCurrentDir(const std::string& path) {
  if (!Sendable(path)) return false;
  const std::string full = FullPath(path);
  sftp_attributes attributes = Watched([&] { return sftp_stat(Sftp, full.c_str()); });
  if (!attributes) return Settle(OperationFailed());
  const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
  sftp_attributes_free(attributes);
  if (!folder) return Fail(TFTPError(TFTPError::feReply, "not a folder: " + full));
  Current = full;
  return true;
}

std::string TSFTPClient::GetCurrentDir() {
  return Connected() ? Current : std::string();
}

bool TSFTPClient::CreateDir(const std::string& name) {
  if (!Sendable(name)) return false;
  const std::string full = FullPath(name);
  return Settle(Watched([&] { return sftp_mkdir(Sftp, full.c_str(), 0755); }) == 0 ||
                OperationFailed());
}

bool TSFTPClient::DeleteFile(const std::string& name) {
  if (!Sendable(name)) return false;
  const std::string full = FullPath(name);
  return Settle(Watched([&] { return sftp_unlink(Sftp, full.c_str()); }) == 0 || OperationFailed());
}

bool TSFTPClient::PutFile(const std::string& localFile, const std::string& remoteName) {
  if (!Sendable(remoteName)) return false;
  QFile file(FileSystemPath(localFile));
  if (!file.open(QIODevice::ReadOnly))
    return Fail(TFTPError(TFTPError::feLocalFile, file.errorString().toStdString()));
  const std::string full = FullPath(remoteName);
  sftp_file remote =
      Watched([&] { return sftp_open(Sftp, full.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644); });
  if (!remote) return Settle(OperationFailed());
  bool aborted = false;
  const bool sent = SendBlocks(file, remote, aborted);
  // The answer to the closing is the server's word that it holds the whole file.
  const bool closed = Watched([&] { return sftp_close(remote); }) == SSH_NO_ERROR;
  if (!sent) return Settle(false);
  if (!closed) return Settle(OperationFailed());
  return !aborted || Fail(TFTPError(TFTPError::feCancelled));
}

bool TSFTPClient::SendBlocks(QFile& file, sftp_file remote, bool& aborted) {
  const int64_t total = file.size();
  int64_t written = 0;
  std::vector<char> block(BlockSize);
  for (;;) {
    const qint64 got = file.read(block.data(), BlockSize);
    if (got < 0) return Fail(TFTPError(TFTPError::feLocalFile, file.errorString().toStdString()));
    if (!WriteAll(remote, block.data(), static_cast<size_t>(got))) return OperationFailed();
    written += got;
    if (OnProgress) OnProgress(*this, written, aborted, total);
    if (aborted || got < static_cast<qint64>(BlockSize)) return true;
  }
}

bool TSFTPClient::WriteAll(sftp_file remote, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = Watched([&] { return sftp_write(remote, data, size); });
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}
