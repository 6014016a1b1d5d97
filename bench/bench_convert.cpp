// Throughput of the markup converter on a large generated body, beside md4c's HTML renderer and
// cmark on the same document written in CommonMark. MB here is 1,000,000 bytes.
//
// Ours and md4c (when its library was found at build time) are measured alike: in this process,
// the whole document into one string, best of three. cmark's figure is the wall time of running
// the program on a file (start-up, reading, writing to /dev/null), best of three; at 10 MB the
// start-up is a small share. Spans and anchors become raw HTML in the CommonMark form, so cmark
// runs with --unsafe to pass them through as ours does (md4c passes raw HTML by default).

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "generator/TextToHTML.h"

#ifdef INKLOOM_HAVE_MD4C
#include <md4c-html.h>
#endif

namespace {

constexpr size_t TargetSize = 10 * 1000 * 1000;

// The same document twice: in the project markup and in CommonMark. Both are built side by side
// so that they keep the same structure (headings, paragraphs, nested lists, tables, links,
// images, emphasis, spans). CommonMark has no tables: a table becomes a paragraph of the same
// cell text.
class TDocumentBuilder {
 public:
  std::string Markup;
  std::string CommonMark;

  void Build(size_t targetSize) {
    for (int section = 0; Markup.size() < targetSize; ++section) Section(section);
  }

 private:
  uint32_t Seed = 12345;

  uint32_t Next(uint32_t bound) {
    Seed = Seed * 1664525u + 1013904223u;
    return (Seed >> 8) % bound;
  }

  std::string Word() {
    static const char* const Words[] = {
        "theme",  "page",   "site",     "section", "editor", "folder", "upload", "preview",
        "simple", "static", "template", "menu",    "list",   "table",  "image",  "link",
        "text",   "write",  "publish",  "small",   "quick",  "plain",  "web",    "project"};
    return Words[Next(sizeof Words / sizeof *Words)];
  }

  std::string Words(int count) {
    std::string text = Word();
    for (int i = 1; i < count; ++i) text += " " + Word();
    return text;
  }

  // One piece of running text with an inline construct now and then, in both forms.
  void Inline(std::string& markup, std::string& commonMark) {
    const std::string words = Words(2 + static_cast<int>(Next(3)));
    const std::string number = std::to_string(Next(1000));
    switch (Next(10)) {
      case 0:
        markup += "_[" + words + "]";
        commonMark += "**" + words + "**";
        break;
      case 1:
        markup += "__[" + words + "]";
        commonMark += "*" + words + "*";
        break;
      case 2:
        markup += "___[" + words + "]";
        commonMark += "***" + words + "***";
        break;
      case 3:
        markup += "*[page" + number + ".html " + words + "]";
        commonMark += "[" + words + "](page" + number + ".html)";
        break;
      case 4:
        markup += "![img" + number + ".png alt=\"" + words + "\"]";
        commonMark += "![" + words + "](img" + number + ".png)";
        break;
      case 5:
        markup += ".[note " + words + "]";
        commonMark += "<span class=\"note\">" + words + "</span>";
        break;
      case 6:
        markup += words + " #[anchor" + number + "]";
        commonMark += words + " <a id=\"anchor" + number + "\"></a>";
        break;
      default:
        markup += words;
        commonMark += words;
    }
  }

  // A line of text starting with a plain word, so it never reads as block markup.
  void TextLine(std::string& markup, std::string& commonMark, int pieces) {
    const std::string first = Word();
    markup += first;
    commonMark += first;
    for (int i = 0; i < pieces; ++i) {
      markup += ' ';
      commonMark += ' ';
      Inline(markup, commonMark);
    }
  }

  void Both(const std::string& markup, const std::string& commonMark) {
    Markup += markup;
    CommonMark += commonMark;
  }

  void Paragraph() {
    const int lines = 2 + static_cast<int>(Next(3));
    for (int i = 0; i < lines; ++i) {
      TextLine(Markup, CommonMark, 6 + static_cast<int>(Next(6)));
      Both("\n", "\n");
    }
    Both("\n", "\n");
  }

  // Items nested one level deeper now and then, two spaces a level (three for CommonMark's
  // ordered items, whose content starts after "1. ").
  void List(bool ordered) {
    const int items = 3 + static_cast<int>(Next(6));
    int level = 0;
    for (int i = 0; i < items; ++i) {
      Both(std::string(level * 2, ' ') + (ordered ? "# " : "* "),
           std::string(level * (ordered ? 3 : 2), ' ') + (ordered ? "1. " : "- "));
      TextLine(Markup, CommonMark, 2 + static_cast<int>(Next(4)));
      Both("\n", "\n");
      const uint32_t step = Next(4);
      if (step == 0 && level < 3)
        ++level;
      else if (step == 1 && level > 0)
        --level;
    }
    Both("\n", "\n");
  }

  void Table() {
    const int columns = 2 + static_cast<int>(Next(3));
    const int rows = 2 + static_cast<int>(Next(5));
    std::string markup;
    std::string commonMark;
    for (int c = 0; c < columns; ++c) {
      const std::string cell = Word();
      markup += (c ? " ^ " : "^ ") + cell;
      commonMark += (c ? " " : "") + cell;
    }
    markup += "\n";
    commonMark += "\n";
    for (int r = 0; r < rows; ++r) {
      markup += "|";
      for (int c = 0; c < columns; ++c) {
        markup += " ";
        commonMark += c ? " " : "";
        Inline(markup, commonMark);
        markup += " |";
      }
      markup += "\n";
      commonMark += "\n";
    }
    Both(markup + "\n", commonMark + "\n");
  }

  void Preformatted() {
    const int lines = 1 + static_cast<int>(Next(3));
    for (int i = 0; i < lines; ++i) {
      const std::string code = "  value = " + std::to_string(Next(100000)) + "; // " + Words(3);
      Both("> " + code + "\n", "    " + code + "\n");
    }
    Both("\n", "\n");
  }

  void Section(int number) {
    const std::string title = Words(3) + " " + std::to_string(number);
    Both("= " + title + "\n\n", "# " + title + "\n\n");
    Paragraph();
    List(false);
    Paragraph();
    const std::string subtitle = Words(2);
    Both("== " + subtitle + "\n\n", "## " + subtitle + "\n\n");
    Table();
    List(true);
    Paragraph();
    const std::string smallTitle = Words(2);
    Both("=== " + smallTitle + "\n\n", "### " + smallTitle + "\n\n");
    Preformatted();
    Paragraph();
  }
};

const TDocumentBuilder& Document() {
  static const TDocumentBuilder document = [] {
    TDocumentBuilder builder;
    builder.Build(TargetSize);
    return builder;
  }();
  return document;
}

void BM_Convert(benchmark::State& state) {
  const std::string& body = Document().Markup;
  for (auto _ : state) {
    TTextToHTML converter;
    std::string html = converter.Convert(body);
    benchmark::DoNotOptimize(html);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond)->UseRealTime();

double MBPerSecond(size_t bytes, double seconds) {
  return bytes / 1e6 / seconds;
}

// The best of three wall times of convert().
template <typename TConvert>
double BestOfThree(TConvert convert) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::string html = convert();
    benchmark::DoNotOptimize(html);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = run == 0 ? elapsed.count() : std::min(best, elapsed.count());
  }
  return best;
}

double BestOfThreeConvert(const std::string& body) {
  return BestOfThree([&] { return TTextToHTML().Convert(body); });
}

#ifdef INKLOOM_HAVE_MD4C
void AppendMd4c(const MD_CHAR* text, MD_SIZE size, void* html) {
  static_cast<std::string*>(html)->append(text, size);
}

// md4c with CommonMark's rules, as cmark reads the document.
double BestOfThreeMd4c(const std::string& text) {
  return BestOfThree([&] {
    std::string html;
    md_html(text.data(), static_cast<MD_SIZE>(text.size()), AppendMd4c, &html, MD_DIALECT_COMMONMARK, 0);
    return html;
  });
}
#endif

void PrintRatio(const char* what, double ours, double theirs) {
  if (theirs > 0) std::printf("Inkloom / %s: %.1fx\n", what, ours / theirs);
}

// Wall time of cmark on the CommonMark form, best of three; negative when it cannot be run.
double BestOfThreeCmark(const QString& cmark, const std::string& text) {
  QTemporaryDir dir;
  if (!dir.isValid()) return -1;
  QFile file(dir.filePath("document.md"));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
    return -1;
  file.close();

  double best = -1;
  for (int run = 0; run < 3; ++run) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(cmark, {"--unsafe", file.fileName()});  // raw HTML passes, as in ours
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
      return -1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    best = best < 0 ? seconds : std::min(best, seconds);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  const TDocumentBuilder& document = Document();
  std::printf("Body: %.1f MB of markup, %.1f MB of CommonMark\n", document.Markup.size() / 1e6,
              document.CommonMark.size() / 1e6);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double ours = MBPerSecond(document.Markup.size(), BestOfThreeConvert(document.Markup));
  std::printf("Inkloom converter: %.1f MB/s\n", ours);

  double md4c = -1;
#ifdef INKLOOM_HAVE_MD4C
  md4c = MBPerSecond(document.CommonMark.size(), BestOfThreeMd4c(document.CommonMark));
  std::printf("md4c (HTML renderer, in process): %.1f MB/s\n", md4c);
#else
  std::printf("md4c: not found at build time (libmd4c-html0-dev), skipped\n");
#endif

  double cmark = -1;
  const QString program = QStandardPaths::findExecutable("cmark");
  const double seconds = program.isEmpty() ? -1 : BestOfThreeCmark(program, document.CommonMark);
  if (program.isEmpty())
    std::printf("cmark: not on PATH, skipped\n");
  else if (seconds < 0)
    std::printf("cmark: could not be run, skipped\n");
  else
    std::printf("cmark: %.1f MB/s\n", cmark = MBPerSecond(document.CommonMark.size(), seconds));
  PrintRatio("md4c", ours, md4c);
  PrintRatio("cmark", ours, cmark);
  return 0;
}
