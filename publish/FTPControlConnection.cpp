#include "publish/FTPControlConnection.h"

#include "publish/Deadline.h"
#include "publish/Wipe.h"

void TFTPControlConnection::SetLimits(int timeoutMilliseconds, const std::atomic<bool>* cancel) {
  TimeoutMilliseconds = timeoutMilliseconds;
  Cancel = cancel;
}

TDeadline TFTPControlConnection::Deadline() const {
  return TDeadline(TimeoutMilliseconds, Cancel);
}

bool TFTPControlConnection::Open(const std::vector<TSocketAddress>& addresses) {
  Close();
  if (!Socket.ConnectFirst(addresses, TimeoutMilliseconds, Cancel)) {
    Why = Socket.Failure();
    return false;
  }
  Why = TFTPError();
  TFTPReply greeting;
  do {
    if (!ReadReply(greeting)) return false;
  } while (greeting.IsPreliminary());  // 120: ready in a moment
  if (greeting.Code == 220) return true;
  Drop(TFTPError::FromReply(greeting));
  return false;
}

bool TFTPControlConnection::StartTls(const TTlsContext& context, const std::string& host) {
  // Whatever came after the server's consent in the clear must not pass for a secured reply.
  Reader.Clear();
  Secure = std::make_unique<TTlsChannel>(Socket);
  if (!Secure->Handshake(context, host, TTlsChannel::TSession(), Deadline())) {
    Drop(Secure->Failure());
    return false;
  }
  Stream = Secure.get();
  return true;
}

void TFTPControlConnection::Close() {
  if (Secure && IsOpen()) Secure->Close(Deadline());
  Drop(TFTPError(TFTPError::feNotConnected));
}

void TFTPControlConnection::Drop(const TFTPError& why) {
  Socket.Close();
  Stream = &Socket;
  Secure.reset();
  Reader.Clear();
  Why = why;
}

bool TFTPControlConnection::IsSendable(std::string_view command) {
  return command.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool TFTPControlConnection::Send(std::string_view command) {
  if (!IsOpen() || !IsSendable(command)) return false;
  std::string line(command);
  line += "\r\n";
  const bool sent = Stream->SendAll(line.data(), line.size(), Deadline());
  Wipe(line);  // it may have been PASS
  if (!sent) Drop(Stream->Failure());
  return sent;
}

bool TFTPControlConnection::ReadReply(TFTPReply& reply) {
  TDeadline deadline = Deadline();
  while (!Reader.Next(reply)) {
    if (!IsOpen()) return false;
    char buffer[4096];
    long got = Stream->Receive(buffer, sizeof(buffer), deadline);
    if (got <= 0) {
      Drop(got == 0 ? TFTPError(TFTPError::feConnectionClosed) : Stream->Failure());
      return false;
    }
    Reader.Feed(std::string_view(buffer, static_cast<size_t>(got)));
  }
  // 421: the server is going away; code 0: a line that is no reply at all.
  if (reply.Code == 0 || reply.Code == 421) {
    Drop(TFTPError::FromReply(reply));
    return false;
  }
  return true;
}

bool TFTPControlConnection::Command(std::string_view command, TFTPReply& reply) {
  if (!Send(command)) return false;
  do {
    if (!ReadReply(reply)) return false;
  } while (reply.IsPreliminary());
  return true;
}
