#include "publish/SocketAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

TSocketAddress::TSocketAddress() : Storage(), Size(sizeof(Storage)) {
  Storage.ss_family = AF_UNSPEC;
}

TSocketAddress::TSocketAddress(const sockaddr* address, socklen_t length) : TSocketAddress() {
  if (length > 0 && static_cast<size_t>(length) <= sizeof(Storage)) {
    std::memcpy(&Storage, address, length);
    Size = length;
  }
}

socklen_t* TSocketAddress::LengthForUpdate() {
  Size = sizeof(Storage);
  return &Size;
}

int TSocketAddress::Family() const { return Storage.ss_family; }

bool TSocketAddress::IsValid() const {
  return (Family() == AF_INET && Size >= sizeof(sockaddr_in)) ||
         (Family() == AF_INET6 && Size >= sizeof(sockaddr_in6));
}

uint16_t TSocketAddress::Port() const {
  if (Family() == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&Storage)->sin_port);
  if (Family() == AF_INET6)
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&Storage)->sin6_port);
  return 0;
}

void TSocketAddress::SetPort(uint16_t port) {
  if (Family() == AF_INET) reinterpret_cast<sockaddr_in*>(&Storage)->sin_port = htons(port);
  if (Family() == AF_INET6) reinterpret_cast<sockaddr_in6*>(&Storage)->sin6_port = htons(port);
}

bool TSocketAddress::SameHost(const TSocketAddress& other) const {
  if (!IsValid() || Family() != other.Family()) return false;
  if (Family() == AF_INET)
    return reinterpret_cast<const sockaddr_in*>(&Storage)->sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in*>(&other.Storage)->sin_addr.s_addr;
  return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(&Storage)->sin6_addr,
                     &reinterpret_cast<const sockaddr_in6*>(&other.Storage)->sin6_addr,
                     sizeof(in6_addr)) == 0;
}

std::string TSocketAddress::HostText() const {
  char text[INET6_ADDRSTRLEN] = {};
  const void* host = nullptr;
  if (Family() == AF_INET) host = &reinterpret_cast<const sockaddr_in*>(&Storage)->sin_addr;
  if (Family() == AF_INET6) host = &reinterpret_cast<const sockaddr_in6*>(&Storage)->sin6_addr;
  if (!host || !inet_ntop(Family(), host, text, sizeof(text))) return std::string();
  return text;
}

bool TSocketAddress::IPv4Bytes(uint8_t bytes[4]) const {
  if (Family() != AF_INET) return false;
  std::memcpy(bytes, &reinterpret_cast<const sockaddr_in*>(&Storage)->sin_addr, 4);
  return true;
}
