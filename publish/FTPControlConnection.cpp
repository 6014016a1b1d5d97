#include "publish/FTPControlConnection.h"

#include "publish/Deadline.h"

void TFTPControlConnection::SetLimits(int timeoutMilliseconds, const std::atomic<bool>* cancel) {
  TimeoutMilliseconds = timeoutMilliseconds;
  Cancel = cancel;
}

TDeadline TFTPControlConnection::Deadline() const {
  return TDeadline(TimeoutMilliseconds, Cancel);
}

bool TFTPControlConnection::Open(const std::vector<TSocketAddress>& addresses) {
  Close();
  for (const TSocketAddress& address : addresses) {
    if (Socket.Connect(address, Deadline())) break;
    Why = TFTPError::FromSystem(Socket.LastError());
    if (Deadline().Cancelled()) return false;
  }
  if (!IsOpen()) return false;
  Why = TFTPError();
  TFTPReply greeting;
  do {
    if (!ReadReply(greeting)) return false;
  } while (greeting.IsPreliminary());  // 120: ready in a moment
  if (greeting.Code == 220) return true;
  Drop(TFTPError::FromReply(greeting));
  return false;
}

void TFTPControlConnection::Close() { Drop(TFTPError(TFTPError::feNotConnected)); }

void TFTPControlConnection::Drop(const TFTPError& why) {
  Socket.Close();
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
  if (Socket.SendAll(line.data(), line.size(), Deadline())) return true;
  Drop(TFTPError::FromSystem(Socket.LastError()));
  return false;
}

bool TFTPControlConnection::ReadReply(TFTPReply& reply) {
  TDeadline deadline = Deadline();
  while (!Reader.Next(reply)) {
    if (!IsOpen()) return false;
    char buffer[4096];
    long got = Socket.Receive(buffer, sizeof(buffer), deadline);
    if (got <= 0) {
      Drop(got == 0 ? TFTPError(TFTPError::feConnectionClosed)
                    : TFTPError::FromSystem(Socket.LastError()));
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
