// The encoding of a served page: the scan for its own declaration and the UTF-8 check. A declared
// name goes into a header line, so it must hold only the characters of encoding names; the UTF-8
// check must agree with Qt's decoder on whether the bytes survive a round trip.

#include "preview/CharsetScanner.h"
#include "preview/PageEncoding.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

bool HeaderSafe(const QByteArray& name) {
  for (const char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':'))
      return false;
  return name.size() <= TCharsetScanner::MaxNameSize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  if (!HeaderSafe(TCharsetScanner(input).Declared())) std::abort();
  if (!HeaderSafe(TPageEncoding::Of(input, true))) std::abort();

  // A complete character after the bytes: a sequence cut off at their end is then invalid too.
  const QByteArray closed = input + 'A';
  const bool roundTrip = QString::fromUtf8(closed).toUtf8() == closed;
  if (TPageEncoding::IsUtf8(closed) != roundTrip) std::abort();
  return 0;
}
