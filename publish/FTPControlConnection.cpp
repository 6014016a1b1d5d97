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
    if (Deadline().Cancelled()) return false;
  }
  if (!IsOpen()) return false;
  TFTPReply greeting;
  do {
    if (!ReadReply(greeting)) return false;
  } while (greeting.IsPreliminary());  // 120: ready in a moment
  if (greeting.Code == 220) return true;
  Close();
  return false;
}

void TFTPControlConnection::Close() {
  Socket.Close();
  Reader.Clear();
}

bool TFTPControlConnection::IsSendable(std::string_view command) {
  return command.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool TFTPControlConnection::Send(std::string_view command) {
  if (!IsOpen() || !IsSendable(command)) return false;
  std::string line(command);
  line += "\r\n";
  if (Socket.SendAll(line.data(), line.size(), Deadline())) return true;
  Close();
  return false;
}

bool TFTPControlConnection::ReadReply(TFTPReply& reply) {
  TDeadline deadline = Deadline();
  while (!Reader.Next(reply)) {
    char buffer[4096];
    long got = IsOpen() ? Socket.Receive(buffer, sizeof(buffer), deadline) : -1;
    if (got <= 0) {
      Close();
      return false;
    }
    Reader.Feed(std::string_view(buffer, static_cast<size_t>(got)));
  }
  if (reply.Code == 0 || reply.Code == 421) {
    Close();
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
