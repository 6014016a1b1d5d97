#pragma once

// A non-blocking TCP socket whose every wait (connecting, accepting, sending, receiving) ends at
// a deadline, so that a silent peer cannot hold the worker thread and a cancel takes effect at
// once. Writes never raise SIGPIPE; a peer that went away is a failed write. After a failure,
// LastError tells why, as an errno value: ETIMEDOUT when the deadline passed, ECANCELED when
// the cancel flag ended the wait.

#include <atomic>
#include <cstddef>
#include <vector>

#include "publish/ByteStream.h"
#include "publish/SocketAddress.h"

class TTcpSocket : public TByteStream {
 public:
  TTcpSocket() = default;
  ~TTcpSocket() override;
  TTcpSocket(const TTcpSocket&) = delete;
  TTcpSocket& operator=(const TTcpSocket&) = delete;

  bool Connect(const TSocketAddress& address, const TDeadline& deadline);
  // Connects to the first of addresses that answers, each tried for one time-out; a cancel
  // ends the tries.
  bool ConnectFirst(const std::vector<TSocketAddress>& addresses, int timeoutMilliseconds,
                    const std::atomic<bool>* cancel);
  // Listens on host's address with a port the system picks (host's own port is ignored).
  bool Listen(const TSocketAddress& host);
  // Takes the first connection from the host of expectedPeer; connections from anywhere else
  // are closed unseen, so no stranger can receive what is meant for the server.
  bool Accept(TTcpSocket& connection, const TSocketAddress& expectedPeer,
              const TDeadline& deadline);

  bool SendAll(const char* data, size_t size, const TDeadline& deadline) override;
  long Receive(char* buffer, size_t size, const TDeadline& deadline) override;
  TFTPError Failure() const override { return TFTPError::FromSystem(Error); }
  // Tells the peer that nothing more will be sent; receiving goes on.
  void ShutdownSending();

  void Close();
  bool IsOpen() const { return Handle >= 0; }
  TSocketAddress LocalAddress() const;
  TSocketAddress PeerAddress() const;
  int LastError() const { return Error; }
  // The system's handle, for a library that does its own reading and writing; -1 when closed.
  int Descriptor() const { return Handle; }

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
