// The whole generator on a project text with one thread and with several: the files written,
// WrittenFiles, the warnings, the index page, the result and the error must be the same. The
// project folder has the themes TSiteComparison writes (two folders and two archives, one of
// them damaged); NOW is fixed and nothing is written outside the folder.

#include "SiteComparison.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16 * 1024) return 0;
  static QTemporaryDir root;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TGenerationRecord one = TSiteComparison::Generate(text, 1, root.filePath(QStringLiteral("one")));
  // The number of workers from the input, so that the fuzzer varies it too.
  const int threads = 2 + static_cast<int>(size % 4);
  const TGenerationRecord several =
      TSiteComparison::Generate(text, threads, root.filePath(QStringLiteral("several")));
  const std::string difference = TSiteComparison::Difference(one, several);
  if (!difference.empty()) {
    std::fprintf(stderr, "One thread and %d differ: %s\n", threads, difference.c_str());
    std::abort();
  }
  return 0;
}
