#pragma once

// The FTP client of the publishing jobs: one connection, logged in at Connect, with the folder
// commands and the upload of a file in 1024-byte blocks. After a failed wait the connection is
// closed, since later replies could no longer be told apart. Names go to the server after
// "OPTS UTF8 ON" when the server lists UTF8 among its features. TFTPSClient adds TLS through
// the protected hooks.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "publish/FTPControlConnection.h"
#include "publish/TransferClient.h"

class QFile;
class TTcpSocket;

class TFTPClient : public TTransferClient {
 public:
  static constexpr size_t BlockSize = 1024;

  TFTPClient() = default;
  ~TFTPClient() override;

  // An empty user name logs in as "anonymous". Binary (image) transfers send the bytes as they
  // are; ASCII ones (the initial setting) send the file's LF line ends as CR LF.
  void SetBinaryMode(bool binary) { BinaryMode = binary; }
  void SetPassiveMode(bool passive) { PassiveMode = passive; }

  bool Connect() override;
  // Says QUIT (when the connection still works) and closes it.
  void Disconnect() override;
  bool Connected() const override { return Control.IsOpen(); }

  // The folder commands also fail for a name holding a line break or NUL, which is never sent
  // (it would smuggle in a second command).
  bool SetCurrentDir(const std::string& path) override;  // CWD
  std::string GetCurrentDir() override;                  // PWD
  bool CreateDir(const std::string& name) override;      // MKD
  bool DeleteFile(const std::string& name) override;     // DELE
  // Confirmed means the final reply 226 or 250.
  bool PutFile(const std::string& localFile, const std::string& remoteName) override;

 protected:
  // Between the greeting and the log-in: plain FTP has nothing to do.
  virtual bool Secure() { return true; }
  // The stream a file's bytes go through on the connected data socket: the socket itself, or
  // TLS on it. Null, with why kept, when it cannot be had.
  virtual TByteStream* OpenData(TTcpSocket& data) { return &data; }
  // Ends the data stream after the file; the socket is closed after it.
  virtual void CloseData(TTcpSocket& data) { (void)data; }

  // Sends command and reads its final reply; false, with why kept, when none came.
  bool Exchange(const std::string& command, TFTPReply& reply);
  // Exchange, then false for a reply that is not positive.
  bool SimpleCommand(const std::string& command);

  TFTPControlConnection Control;

 private:
  bool Open();
  bool LogIn();
  void ReadFeatures();
  // After the data went out: true when the server confirms the whole file.
  bool Confirm(bool sent, bool aborted);
  // Prepares the data connection before STOR: connected (passive) or listening (active).
  bool OpenPassive(TTcpSocket& data);
  bool OpenActive(TTcpSocket& listener);
  // The data connection once the server has answered STOR.
  bool TakeData(TTcpSocket& data, TTcpSocket& listener);
  bool SendFileBlocks(QFile& file, TByteStream& data, bool& aborted);

  // The transfer type once the server has it: it holds for the session, so it is sent once.
  bool SetTransferType();

  bool BinaryMode = false;
  bool PassiveMode = false;
  std::optional<bool> BinaryTypeSet;
  // What the server offered at log-in; a command it then refuses is not tried again.
  bool UseEPSV = false;
  bool UseEPRT = false;
};
