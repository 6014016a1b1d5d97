#pragma once

#include "generator/InkloomError.h"

#include <string>

// An output file of a page that could not be written, or that would have replaced a file the
// program must keep (the project file, a theme's own file). Names the page as its section
// header does and the line of that header.
class EOutputError : public EInkloomError {
 public:
  enum TKind { oeCannotWrite, oeRefused };

  EOutputError(TKind kind, std::string page, int line)
      : EInkloomError((kind == oeCannotWrite ? "Cannot write \"" : "Refused to replace \"") + page + "\"."),
        Kind(kind),
        Page(std::move(page)),
        Line(line) {}

  TKind Kind;
  std::string Page;
  int Line;
};
