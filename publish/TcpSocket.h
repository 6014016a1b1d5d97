#pragma once

// A non-blocking TCP socket whose every wait (connecting, accepting, sending, receiving) ends at
// a deadline, so that a silent peer cannot hold the worker thread and a cancel takes effect at
// once. Writes never raise SIGPIPE; a peer that went away is a failed write. After a failure,
// LastError tells why, as an errno value: ETIMEDOUT when the deadline passed, ECANCELED when
// the cancel flag ended the wait.

#include <cstddef>

#include "publish/SocketAddress.h"

class TDeadline;

class TTcpSocket {
 public:
  TTcpSocket() = default;
  ~TTcpSocket();
  TTcpSocket(const TTcpSocket&) = delete;
  TTcpSocket& operator=(const TTcpSocket&) = delete;

  bool Connect(const TSocketAddress& address, const TDeadline& deadline);
  // Listens on host's address with a port the system picks (host's own port is ignored).
  bool Listen(const TSocketAddress& host);
  // Takes the first connection from the host of expectedPeer; connections from anywhere else
  // are closed unseen, so no stranger can receive what is meant for the server.
  bool Accept(TTcpSocket& connection, const TSocketAddress& expectedPeer,
              const TDeadline& deadline);

  bool SendAll(const char* data, size_t size, const TDeadline& deadline);
  // Waits for data and takes what has arrived: the byte count, 0 when the peer closed the
  // connection, -1 on an error or when the deadline passed first.
  long Receive(char* buffer, size_t size, const TDeadline& deadline);

  void Close();
  bool IsOpen() const { return Handle >= 0; }
  TSocketAddress LocalAddress() const;
  TSocketAddress PeerAddress() const;
  int LastError() const { return Error; }

 private:
  bool Open(int family);
  // 0 once a connection under way is made, else why not.
  int ConnectOutcome(const TDeadline& deadline);
  bool WaitFor(short events, const TDeadline& deadline);
  // Keeps error as the reason of the failure; false.
  bool Fail(int error);

  int Handle = -1;
  int Error = 0;
};
