// A stored password can be edited by hand in the project file. Decoding any text must stay
// within its buffers, and every value must come back from its stored form.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "publish/Twofish.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (DecryptSetting(text).size() > size / 2) std::abort();
  std::string stored = EncryptSetting(text);
  if (stored.size() != size * 2 || DecryptSetting(stored) != text) std::abort();
  return 0;
}
