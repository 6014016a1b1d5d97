#include "publish/TcpSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "publish/Deadline.h"

TTcpSocket::~TTcpSocket() { Close(); }

void TTcpSocket::Close() {
  if (Handle >= 0) ::close(Handle);
  Handle = -1;
}

bool TTcpSocket::Open(int family) {
  Close();
  Handle = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  return Handle >= 0;
}

bool TTcpSocket::Fail(int error) {
  Error = error;
  return false;
}

bool TTcpSocket::WaitFor(short events, const TDeadline& deadline) {
  while (!deadline.Expired()) {
    pollfd entry{Handle, events, 0};
    int ready = ::poll(&entry, 1, deadline.NextSliceMilliseconds());
    if (ready > 0) return true;  // an error or hang-up shows in the call that follows
    if (ready < 0 && errno != EINTR) return Fail(errno);
  }
  return Fail(deadline.Cancelled() ? ECANCELED : ETIMEDOUT);
}

int TTcpSocket::ConnectOutcome(const TDeadline& deadline) {
  if (!WaitFor(POLLOUT, deadline)) return Error;
  int error = 0;
  socklen_t length = sizeof(error);
  if (::getsockopt(Handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

bool TTcpSocket::Connect(const TSocketAddress& address, const TDeadline& deadline) {
  if (!address.IsValid()) return Fail(EAFNOSUPPORT);
  if (!Open(address.Family())) return Fail(errno);
  if (::connect(Handle, address.Data(), address.Length()) == 0) return true;
  int error = errno == EINPROGRESS ? ConnectOutcome(deadline) : errno;
  if (error == 0) return true;
  Close();
  return Fail(error);
}

bool TTcpSocket::ConnectFirst(const std::vector<TSocketAddress>& addresses, int timeoutMilliseconds,
                              const std::atomic<bool>* cancel) {
  Error = EDESTADDRREQ;
  for (const TSocketAddress& address : addresses) {
    if (Connect(address, TDeadline(timeoutMilliseconds, cancel))) return true;
    if (cancel && cancel->load()) return Fail(ECANCELED);
  }
  return false;
}

bool TTcpSocket::Listen(const TSocketAddress& host) {
  TSocketAddress local = host;
  local.SetPort(0);
  if (!local.IsValid()) return Fail(EAFNOSUPPORT);
  if (!Open(local.Family())) return Fail(errno);
  if (::bind(Handle, local.Data(), local.Length()) == 0 && ::listen(Handle, 4) == 0) return true;
  int error = errno;
  Close();
  return Fail(error);
}

bool TTcpSocket::Accept(TTcpSocket& connection, const TSocketAddress& expectedPeer,
                        const TDeadline& deadline) {
  connection.Close();
  while (IsOpen() && WaitFor(POLLIN, deadline)) {
    TSocketAddress peer;
    int handle = ::accept4(Handle, peer.Data(), peer.LengthForUpdate(),
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (handle < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
          errno == ECONNABORTED)
        continue;
      return Fail(errno);
    }
    if (peer.SameHost(expectedPeer)) {
      connection.Handle = handle;
      return true;
    }
    ::close(handle);
  }
  if (!IsOpen()) Error = ENOTCONN;
  return false;
}

bool TTcpSocket::SendAll(const char* data, size_t size, const TDeadline& deadline) {
  while (size > 0) {
    if (!IsOpen()) return Fail(ENOTCONN);
    ssize_t sent = ::send(Handle, data, size, MSG_NOSIGNAL);
    if (sent > 0) {
      data += sent;
      size -= static_cast<size_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(POLLOUT, deadline)) return false;
    } else {
      return Fail(errno);
    }
  }
  return true;
}

long TTcpSocket::Receive(char* buffer, size_t size, const TDeadline& deadline) {
  while (IsOpen()) {
    ssize_t got = ::recv(Handle, buffer, size, 0);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      Error = errno;
      return -1;
    }
    if (!WaitFor(POLLIN, deadline)) return -1;
  }
  Error = ENOTCONN;
  return -1;
}

void TTcpSocket::ShutdownSending() {
  if (Handle >= 0) ::shutdown(Handle, SHUT_WR);
}

TSocketAddress TTcpSocket::LocalAddress() const {
  TSocketAddress address;
  if (Handle < 0 || ::getsockname(Handle, address.Data(), address.LengthForUpdate()) != 0)
    return TSocketAddress();
  return address;
}

TSocketAddress TTcpSocket::PeerAddress() const {
  TSocketAddress address;
  if (Handle < 0 || ::getpeername(Handle, address.Data(), address.LengthForUpdate()) != 0)
    return TSocketAddress();
  return address;
}
