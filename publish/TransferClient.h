#pragma once

// What the publishing jobs ask of a server, whatever the protocol: log in at Connect, change,
// query and make folders, delete a file, and send a file with progress and cancellation. Three
// clients implement it: TFTPClient (plain FTP), TFTPSClient (FTP with explicit TLS) and
// TSFTPClient (SSH). A client belongs to one job and is used on that job's worker thread only.
//
// Nothing is raised: every operation answers with a success flag, and LastError tells why the
// last one that failed did. Every wait ends after the time-out, or within a fraction of a second
// of the cancel flag being raised; a connection whose wait failed is given up. Texts are byte
// strings; names go to the server as they are given (UTF-8).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <vector>

#include "publish/FTPError.h"
#include "publish/SocketAddress.h"

struct TFTPSettings;

class TTransferClient {
 public:
  // Called after each block that PutFile sent, and once more at the end of a file whose size is
  // a multiple of the block size: (client, bytes sent so far, abort flag, size of the file).
  // Setting abort ends the transfer after that block and makes PutFile return false.
  using TProgressEvent =
      std::function<void(TTransferClient& sender, int64_t written, bool& abort, int64_t total)>;

  static constexpr int DefaultTimeout = 30000;

  TTransferClient() = default;
  virtual ~TTransferClient();
  TTransferClient(const TTransferClient&) = delete;
  TTransferClient& operator=(const TTransferClient&) = delete;

  // The client of the settings' protocol, with their server, port, credentials, time-out and
  // (for FTPS) trusted certificate; null, with why, for a protocol this version does not know.
  static std::unique_ptr<TTransferClient> Make(const TFTPSettings& settings,
                                               const std::atomic<bool>* cancel, TFTPError& why);

  void SetServer(const std::string& server) { Server = server; }
  // The port as the user typed it; see PortNumber.
  void SetPort(const std::string& port) { Port = port; }
  void SetUserName(const std::string& userName) { UserName = userName; }
  void SetPassword(const std::string& password);
  // Milliseconds each wait may last; 0 or less gives DefaultTimeout. Taken at Connect.
  void SetTimeout(int milliseconds);
  // The job's cancel flag, written by another thread; it must outlive the client, which does
  // not own it. Null: nothing cancels. Taken at Connect.
  void SetCancelFlag(const std::atomic<bool>* cancel) { Cancel = cancel; }
  void SetOnProgress(TProgressEvent onProgress) { OnProgress = std::move(onProgress); }

  // The port to connect to: the text as a decimal number when it is one from 1 to 65535
  // (blanks around it allowed), otherwise standard, the protocol's own.
  static uint16_t PortNumber(const std::string& text, uint16_t standard = 21);

  // Disconnects, then connects and logs in; false when the server cannot be reached, is not
  // trusted, or refuses the log-in (feLogInRefused).
  virtual bool Connect() = 0;
  // Ends the session politely when it still works, and closes the connection.
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;

  // The folder operations: false when not connected and when the server refuses.
  virtual bool SetCurrentDir(const std::string& path) = 0;
  virtual std::string GetCurrentDir() = 0;  // empty when not known
  virtual bool CreateDir(const std::string& name) = 0;
  virtual bool DeleteFile(const std::string& name) = 0;
  // Sends localFile (a path of the program's form, "\" allowed) as remoteName into the server's
  // current folder. True only when every block went out, nobody asked to abort, and the server
  // confirmed the whole file. False without contacting the server when not connected or when
  // the local file cannot be read.
  virtual bool PutFile(const std::string& localFile, const std::string& remoteName) = 0;

  // Why the last operation that failed did; it stays until another one fails.
  const TFTPError& LastError() const { return Error; }

 protected:
  // Keeps why as the reason of a failure; false.
  bool Fail(const TFTPError& why);
  // The port PortNumber makes of the setting, with this protocol's standard port.
  virtual uint16_t StandardPort() const { return 21; }
  uint16_t PortToUse() const { return PortNumber(Port, StandardPort()); }
  // The server's addresses with the port to use, in the order to try them; empty, with why
  // kept, when there is no server name or it cannot be looked up in time.
  std::vector<TSocketAddress> ResolveServer();

  std::string Server;
  std::string Port;
  std::string UserName;
  std::string Password;
  int Timeout = DefaultTimeout;
  const std::atomic<bool>* Cancel = nullptr;
  TProgressEvent OnProgress;
  TFTPError Error;
};
