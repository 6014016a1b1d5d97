// Include expansion of one page as --serve and the preview window do it: a page of N server-side
// includes of one 8 KB file of HTML, for N = 125, 250, 500 and 1,000 (the default substitution limit).
// The time per page should grow with N, not with its square.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "preview/IncludeExpander.h"

namespace {

constexpr int IncludedSize = 8 * 1024;

// An output folder holding the included file, made once.
const TOutputFolder& Folder() {
  static QTemporaryDir dir;
  static const TOutputFolder folder = [] {
    QFile file(dir.filePath(QStringLiteral("part.inc")));
    const QByteArray item = "<li><a href=\"page.html\">An item of the menu</a></li>\n";
    if (file.open(QIODevice::WriteOnly)) file.write(item.repeated(IncludedSize / item.size() + 1).left(IncludedSize));
    return TOutputFolder(dir.path());
  }();
  return folder;
}

QByteArray Page(int includes) {
  QByteArray page = "<!DOCTYPE html><html><body>\n";
  for (int i = 0; i < includes; ++i) page += "<p>Part</p><!--#include file=\"part.inc\"-->\n";
  return page + "</body></html>\n";
}

void ExpandIncludes(benchmark::State& state) {
  const QByteArray page = Page(static_cast<int>(state.range(0)));
  const TIncludeExpander expander(Folder());
  qsizetype size = 0;
  for (auto _ : state) {
    const QByteArray expanded = expander.Expand(page);
    size = expanded.size();
    benchmark::DoNotOptimize(expanded.constData());
  }
  state.counters["expanded_bytes"] = static_cast<double>(size);
  state.SetBytesProcessed(state.iterations() * size);
}

}  // namespace

BENCHMARK(ExpandIncludes)->Arg(125)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
