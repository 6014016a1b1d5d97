#pragma once

// Overwrites a string that held a password before its memory goes back to the allocator, so
// that the password does not linger in the process (or in a core file of it). The compiler may
// not drop the overwrite as it may a plain memset of memory about to be freed.

#include <string.h>

#include <string>

inline void Wipe(std::string& secret) {
  if (!secret.empty()) explicit_bzero(secret.data(), secret.size());
  secret.clear();
}
