#pragma once

// The FTP client of the publishing jobs: one connection, logged in at Connect, with the folder
// commands and the upload of a file in 1024-byte blocks. It raises nothing: every operation
// answers with a success flag, and LastError tells why the last one that failed did. A client
// belongs to one job and is used on that job's worker thread only.
//
// Every wait (connecting, each reply, the data connection) ends after the time-out, or within
// a fraction of a second of the cancel flag being raised; the operation then fails. After a
// failed wait the connection is closed, since later replies could no longer be told apart.
//
// Texts are byte strings; names go to the server as they are given (UTF-8), after "OPTS UTF8
// ON" when the server lists UTF8 among its features.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "publish/FTPControlConnection.h"

class QFile;
class TTcpSocket;

class TFTPClient {
 public:
  // Called after each block that PutFile sent, and once more at the end of a file whose size is
  // a multiple of the block size: (client, bytes sent so far, abort flag, size of the file).
  // Setting abort ends the transfer after that block and makes PutFile return false.
  using TProgressEvent =
      std::function<void(TFTPClient& sender, int64_t written, bool& abort, int64_t total)>;

  static constexpr size_t BlockSize = 1024;
  static constexpr int DefaultTimeout = 30000;

  TFTPClient() = default;
  ~TFTPClient();
  TFTPClient(const TFTPClient&) = delete;
  TFTPClient& operator=(const TFTPClient&) = delete;

  void SetServer(const std::string& server) { Server = server; }
  // The port as the user typed it; see PortNumber.
  void SetPort(const std::string& port) { Port = port; }
  // An empty user name logs in as "anonymous".
  void SetUserName(const std::string& userName) { UserName = userName; }
  void SetPassword(const std::string& password) { Password = password; }
  // Binary (image) transfers send the bytes as they are; ASCII ones (the initial setting) send
  // the file's LF line ends as CR LF.
  void SetBinaryMode(bool binary) { BinaryMode = binary; }
  void SetPassiveMode(bool passive) { PassiveMode = passive; }
  // Milliseconds each wait may last; 0 or less gives DefaultTimeout.
  void SetTimeout(int milliseconds);
  // The job's cancel flag, written by another thread; it must outlive the client, which does
  // not own it. Null: nothing cancels.
  void SetCancelFlag(const std::atomic<bool>* cancel);
  void SetOnProgress(TProgressEvent onProgress) { OnProgress = std::move(onProgress); }

  // The port to connect to: the text as a decimal number when it is one from 1 to 65535
  // (blanks around it allowed), otherwise 21.
  static uint16_t PortNumber(const std::string& text);

  // Disconnects, then connects and logs in; false when the server cannot be reached, does not
  // greet, or refuses the log-in (feLogInRefused with its reply).
  bool Connect();
  // Says QUIT (when the connection still works) and closes it.
  void Disconnect();
  bool Connected() const { return Control.IsOpen(); }

  // The folder commands: false when not connected, when the server refuses, and for a name
  // holding a line break or NUL, which is never sent (it would smuggle in a second command).
  bool SetCurrentDir(const std::string& path);   // CWD
  std::string GetCurrentDir();                   // PWD; empty when not known
  bool CreateDir(const std::string& name);       // MKD
  bool DeleteFile(const std::string& name);      // DELE
  // Sends localFile (a path of the program's form, "\" allowed) as remoteName into the server's
  // current folder. True only when every block went out, nobody asked to abort, and the server
  // confirmed the whole file (226 or 250). False without contacting the server when not
  // connected or when the local file cannot be read.
  bool PutFile(const std::string& localFile, const std::string& remoteName);

  // Why the last operation that failed did; it stays until another one fails.
  const TFTPError& LastError() const { return Error; }

 private:
  // Keeps why as the reason of a failure; false.
  bool Fail(const TFTPError& why);
  bool Open();
  bool LogIn();
  void ReadFeatures();
  // Sends command and reads its final reply; false, with why kept, when none came.
  bool Exchange(const std::string& command, TFTPReply& reply);
  // Exchange, then false for a reply that is not positive.
  bool SimpleCommand(const std::string& command);
  // After the data went out: true when the server confirms the whole file.
  bool Confirm(bool sent, bool aborted);
  // Prepares the data connection before STOR: connected (passive) or listening (active).
  bool OpenPassive(TTcpSocket& data);
  bool OpenActive(TTcpSocket& listener);
  bool SendFileBlocks(QFile& file, TTcpSocket& data, bool& aborted);

  std::string Server;
  std::string Port;
  std::string UserName;
  std::string Password;
  bool BinaryMode = false;
  bool PassiveMode = false;
  int Timeout = DefaultTimeout;
  const std::atomic<bool>* Cancel = nullptr;
  TProgressEvent OnProgress;

  TFTPControlConnection Control;
  TFTPError Error;
  // What the server offered at log-in; a command it then refuses is not tried again.
  bool UseEPSV = false;
  bool UseEPRT = false;
};
