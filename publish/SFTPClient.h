#pragma once

// The SSH file transfer protocol (libssh). The connection is the program's own socket, made
// like an FTP one; libssh does the rest on it, every call watched so that a time-out or a
// cancel ends it (TSocketWatch). The user logs in with the password, or, when it is empty, with
// the user's keys in ~/.ssh and ssh-agent. ~/.ssh/config is not read: the settings say where
// to connect.
//
// The server's host key is checked against ~/.ssh/known_hosts (OpenSSH's file) before the
// log-in: an unknown host ends the connection with feHostKeyUnknown, its fingerprint and the
// line that would trust it; another key than the one known ends it with feHostKeyChanged.
// SFTP has no current folder: the client keeps one, so that relative names work as in FTP.

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <string>

#include "publish/SocketWatch.h"
#include "publish/TcpSocket.h"
#include "publish/TransferClient.h"

class QFile;

class TSFTPClient : public TTransferClient {
 public:
  // Each write waits for the server's answer, so a file goes in blocks this large.
  static constexpr size_t BlockSize = 32768;

  TSFTPClient() = default;
  ~TSFTPClient() override;

  bool Connect() override;
  void Disconnect() override;
  bool Connected() const override { return Sftp != nullptr; }

  // Also false for a name holding NUL, which the protocol's C strings would cut short.
  bool SetCurrentDir(const std::string& path) override;
  std::string GetCurrentDir() override;
  bool CreateDir(const std::string& name) override;
  bool DeleteFile(const std::string& name) override;
  // Confirmed means every write and the closing of the remote file were answered with success.
  bool PutFile(const std::string& localFile, const std::string& remoteName) override;

 protected:
  uint16_t StandardPort() const override { return 22; }

 private:
  bool StartSession();
  bool SetOptions();
  bool Option(ssh_options_e option, const void* value);
  bool HandOverSocket();
  bool CheckHostKey();
  std::string HostKeyFingerprint();
  bool LogIn();
  bool StartSftp();
  void Close();

  // Runs a libssh call under the watch; its result.
  template <typename TCall>
  auto Watched(TCall call) -> decltype(call());
  // Keeps why the session could not be set up; false.
  bool SessionFailed();
  // Keeps why an operation failed (the server's answer, or the lost connection); false.
  bool OperationFailed();
  // Closes a session whose connection is gone; the result of the operation, unchanged.
  bool Settle(bool result);
  // Whether name can be sent, and the full path of it from the current folder.
  bool Sendable(const std::string& name);
  std::string FullPath(const std::string& name) const;
  bool SendBlocks(QFile& file, sftp_file remote, bool& aborted);
  bool WriteAll(sftp_file remote, const char* data, size_t size);

  TTcpSocket Socket;
  TSocketWatch Watch;
  TFTPError::TKind Struck = TFTPError::feNone;  // what the watch did during the last call
  ssh_session Session = nullptr;
  sftp_session Sftp = nullptr;
  std::string Current;
};
