#pragma once

// An IPv4 or IPv6 address with a port, as the socket calls take it.

#include <sys/socket.h>

#include <cstdint>
#include <string>

class TSocketAddress {
 public:
  TSocketAddress();
  TSocketAddress(const sockaddr* address, socklen_t length);

  const sockaddr* Data() const { return reinterpret_cast<const sockaddr*>(&Storage); }
  sockaddr* Data() { return reinterpret_cast<sockaddr*>(&Storage); }
  socklen_t Length() const { return Size; }
  // For the calls that fill the address in (getsockname, accept): the room there is.
  socklen_t* LengthForUpdate();

  bool IsValid() const;
  int Family() const;  // AF_INET, AF_INET6 or AF_UNSPEC
  uint16_t Port() const;
  void SetPort(uint16_t port);
  // The same host, whatever the ports.
  bool SameHost(const TSocketAddress& other) const;
  // The host in numeric form ("127.0.0.1", "::1"), as EPRT wants it.
  std::string HostText() const;
  // The four bytes of an IPv4 host, as PORT wants them; false for IPv6.
  bool IPv4Bytes(uint8_t bytes[4]) const;

 private:
  sockaddr_storage Storage;
  socklen_t Size;
};
