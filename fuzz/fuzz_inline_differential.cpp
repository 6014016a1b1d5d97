// Compares the inline converter with the literal rules (tests/generator/reference) on the fuzzer's
// input, and the attribute parser likewise; any difference aborts with both results.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "generator/TextToHTML.h"
#include "reference/LiteralInline.h"

namespace {

void PrintBytes(const char* title, const std::string& bytes) {
  std::fprintf(stderr, "%s (%zu bytes, hex):\n", title, bytes.size());
  for (unsigned char c : bytes) std::fprintf(stderr, "%02x", c);
  std::fprintf(stderr, "\n%s (text):\n%s\n", title, bytes.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The literal converter searches from the start after each replacement; keep it quick.
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);

  // Large results are skipped, and so are texts that grow beyond 16 KB on the way through the
  // literal converter: links without text copy their target, a few nested ones inside an image
  // (which drops them again) reach 64 KB in thousands of replacements, and restarting after each
  // one takes seconds. Such texts are only a few percent of what the fuzzer makes.
  bool limited = false, tooLarge = false;
  std::string fast = TTextToHTML::ConvertInline(text, &limited);
  if (!limited && fast.size() <= 64 * 1024) {
    std::string literal = LiteralConvertInline(text, 16 * 1024, &tooLarge);
    if (!tooLarge && fast != literal) {
      std::fprintf(stderr, "ConvertInline differs from the literal rules\n");
      PrintBytes("input", text);
      PrintBytes("ConvertInline", fast);
      PrintBytes("literal", literal);
      std::abort();
    }
  }

  std::string_view remainder;
  std::string attributes = TTextToHTML::ParseAttributes(text, &remainder);
  std::string literalRemainder;
  std::string literalAttributes = LiteralParseAttributes(text, &literalRemainder);
  if (attributes != literalAttributes || remainder != literalRemainder) {
    std::fprintf(stderr, "ParseAttributes differs from the literal rules\n");
    PrintBytes("input", text);
    PrintBytes("attributes", attributes);
    PrintBytes("remainder", std::string(remainder));
    PrintBytes("literal attributes", literalAttributes);
    PrintBytes("literal remainder", literalRemainder);
    std::abort();
  }
  return 0;
}
