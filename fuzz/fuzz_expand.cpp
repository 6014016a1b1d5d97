// Placeholder expansion of a text against a fixed set of variables, fragments and macros.

#include "generator/Generator.h"

#include <QTemporaryDir>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  static QTemporaryDir folder;
  static THTMLGenerator* generator = [] {
    auto* g = new THTMLGenerator;
    g->SetProjectFolder(folder.path().toStdString());
    g->GenerateUtf8(
        "$title Home\n$link <a href=\"{&1}\">{&2}</a>\n$named <a href=\"{&href}\">{&text}</a>\n"
        "$self {&self}\n$twice {&self}{&self}\n$lines a\\nb\\n{&title}\n[menu]\n* {link(a.html, A)}\n"
        "[index.html]\n$menu.x 1\n");
    return g;
  }();
  TNameValueList arguments;
  arguments.Add("1=first");
  arguments.Add("key=value");
  std::string_view text(reinterpret_cast<const char*>(data), size);
  generator->Expand(text, nullptr);
  generator->Expand(text, &arguments);
  return 0;
}
