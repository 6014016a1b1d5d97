// Theme archives come from anywhere; loading and reading one must never crash, hang or allocate
// what its headers claim.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "generator/SciZipFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TZipFile zip;
  zip.LoadFromData(std::string_view(reinterpret_cast<const char*>(data), size));
  for (int i = 0; i < zip.Count(); ++i) {
    try {
      zip.Name(i);
      zip.Data(i);
    } catch (const EInkloomError&) {
    }
  }
  return 0;
}
