#pragma once

// The control connection of an FTP session: command lines out, replies in. Every wait is bounded
// by the time-out and the cancel flag it is given. Once a wait fails, the server closes the
// connection or announces that it will (421), the replies can no longer be matched to the
// commands, so the connection closes itself and every later command fails; Failure then tells
// why. After StartTls every command and reply goes through TLS.

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "publish/FTPError.h"
#include "publish/FTPReplyReader.h"
#include "publish/SocketAddress.h"
#include "publish/TcpSocket.h"
#include "publish/TlsChannel.h"

class TDeadline;
class TTlsContext;

class TFTPControlConnection {
 public:
  void SetLimits(int timeoutMilliseconds, const std::atomic<bool>* cancel);
  // A deadline one time-out from now, watching the cancel flag.
  TDeadline Deadline() const;

  // Connects to the first address that answers and reads the server's greeting.
  bool Open(const std::vector<TSocketAddress>& addresses);
  // Secures the connection (after the server agreed to AUTH TLS); the certificate's verdict is
  // the caller's to read from Tls().
  bool StartTls(const TTlsContext& context, const std::string& host);
  // The TLS of the connection; null before StartTls and once it is closed.
  const TTlsChannel* Tls() const { return Secure.get(); }
  // Closes the connection, with TLS's closing alert when it is secured.
  void Close();
  // Closes the connection after a failure, keeping why.
  void Drop(const TFTPError& why);
  bool IsOpen() const { return Socket.IsOpen(); }
  // Why the connection is not open: why it could not be opened or was dropped, feNotConnected
  // after Close or before any Open; feNone while it is open.
  const TFTPError& Failure() const { return Why; }

  // A command that holds a line break or a NUL would smuggle a second command to the server
  // (file names may contain both): such a command is never sent.
  static bool IsSendable(std::string_view command);
  // Sends one command line; false without sending for a command that is not sendable.
  bool Send(std::string_view command);
  // The next reply, preliminary (1xx) replies included.
  bool ReadReply(TFTPReply& reply);
  // Sends command and reads its final reply, passing over preliminary ones.
  bool Command(std::string_view command, TFTPReply& reply);

  TSocketAddress LocalAddress() const { return Socket.LocalAddress(); }
  TSocketAddress PeerAddress() const { return Socket.PeerAddress(); }

 private:
  TTcpSocket Socket;
  std::unique_ptr<TTlsChannel> Secure;
  TByteStream* Stream = &Socket;  // the socket, or the TLS on it
  TFTPReplyReader Reader;
  TFTPError Why{TFTPError::feNotConnected};
  int TimeoutMilliseconds = 30000;
  const std::atomic<bool>* Cancel = nullptr;
};
