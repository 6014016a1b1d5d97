#include "publish/HostResolver.h"

#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "publish/Deadline.h"

namespace {

// What the caller and the helper thread share; whichever of them lets go last frees it.
struct TLookupState {
  std::mutex Lock;
  std::condition_variable Finished;
  bool Done = false;
  std::vector<TSocketAddress> Addresses;
};

}  // namespace

std::vector<TSocketAddress> THostResolver::Lookup(const std::string& host, uint16_t port,
                                                  int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  std::vector<TSocketAddress> addresses;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
    return addresses;
  for (addrinfo* entry = found; entry; entry = entry->ai_next) {
    TSocketAddress address(entry->ai_addr, entry->ai_addrlen);
    if (address.IsValid()) addresses.push_back(address);
  }
  ::freeaddrinfo(found);
  return addresses;
}

std::vector<TSocketAddress> THostResolver::Resolve(const std::string& host, uint16_t port,
                                                   const TDeadline& deadline) {
  if (host.empty() || host.find('\0') != std::string::npos) return {};
  // A numeric address needs no name service and returns at once.
  std::vector<TSocketAddress> addresses = Lookup(host, port, AI_NUMERICHOST);
  if (!addresses.empty()) return addresses;

  auto state = std::make_shared<TLookupState>();
  std::thread([state, host, port] {
    std::vector<TSocketAddress> found = Lookup(host, port, 0);
    std::lock_guard<std::mutex> guard(state->Lock);
    state->Addresses = std::move(found);
    state->Done = true;
    state->Finished.notify_all();
  }).detach();

  std::unique_lock<std::mutex> guard(state->Lock);
  while (!state->Done && !deadline.Expired())
    state->Finished.wait_for(guard,
                             std::chrono::milliseconds(deadline.NextSliceMilliseconds()));
  return state->Done ? state->Addresses : std::vector<TSocketAddress>();
}
