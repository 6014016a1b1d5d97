// Runs the block converter over the fuzzer's input, once without a quotation style and once with
// one taken from the input's first line. The converter is reused between pages, so converting the
// same body again with the same object must give the same HTML.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "generator/TextToHTML.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  TTextToHTML converter;

  std::string plain = converter.Convert(body);

  converter.QuoteStyle = body.substr(0, body.find_first_of("\r\n"));
  std::string quoted = converter.Convert(body);
  std::string again = converter.Convert(body);
  if (quoted != again) {
    std::fprintf(stderr, "Convert gave a different result the second time:\n%s\n---\n%s\n",
                 quoted.c_str(), again.c_str());
    std::abort();
  }

  // Without "> " lines the quotation style cannot matter.
  if (body.find('>') == std::string::npos && plain != quoted) {
    std::fprintf(stderr, "QuoteStyle changed a body without preformatted lines\n");
    std::abort();
  }
  return 0;
}
