#pragma once

// Turns a host name or numeric address into the addresses to try. getaddrinfo cannot be given
// a time-out, so a name is looked up on a helper thread that the caller stops waiting for at
// the deadline; the thread finishes on its own and nothing it touches belongs to the caller.

#include <cstdint>
#include <string>
#include <vector>

#include "publish/SocketAddress.h"

class TDeadline;

class THostResolver {
 public:
  // The addresses of host with port, in the order the system prefers; empty when the name is
  // unknown or the deadline passed first.
  static std::vector<TSocketAddress> Resolve(const std::string& host, uint16_t port,
                                             const TDeadline& deadline);

 private:
  static std::vector<TSocketAddress> Lookup(const std::string& host, uint16_t port, int flags);
};
