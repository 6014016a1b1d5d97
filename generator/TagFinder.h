#pragma once

// The tags of a page, one after the other, exactly as FindEnclosed(cursor, "<", ">") finds them
// (a closer is skipped when another "<" comes before the first ">"; the text ends at its first
// NUL), but from bit marks of the page's angle brackets and equals signs made once, sixteen
// bytes at a time with SSE2, so that the text between tags is never read byte by byte.

#include "generator/MiscUtils.h"

#include <cstdint>
#include <string_view>
#include <vector>

class TTagFinder {
 public:
  explicit TTagFinder(std::string_view html);

  // The next tag; equals: it may hold an attribute (an "=" before its first ">", or a tag that
  // goes on past it).
  bool Next(TEnclosed& tag, bool& equals);

 private:
  std::string_view Text;
  std::vector<uint64_t> Brackets;  // a bit for each "<" and ">"
  std::vector<uint64_t> Equals;    // a bit for each "="
  size_t Word = 0;                 // the marks not yet visited: in this word of Brackets...
  uint64_t Bits = 0;               // ...these

  // bits: the marks of the bytes from at on (sixteen at most, at a multiple of sixteen).
  static void Mark(std::vector<uint64_t>& marks, size_t at, uint64_t bits) {
    marks[at / 64] |= bits << (at % 64);
  }

  // The next "<" or ">" not yet visited, or npos.
  size_t NextBracket() {
    while (Bits == 0) {
      if (++Word >= Brackets.size()) return std::string_view::npos;
      Bits = Brackets[Word];
    }
    const size_t at = Word * 64 + static_cast<size_t>(__builtin_ctzll(Bits));
    Bits &= Bits - 1;
    return at;
  }

  size_t NextBracket(char wanted) {
    size_t at = NextBracket();
    while (at != std::string_view::npos && Text[at] != wanted) at = NextBracket();
    return at;
  }

  bool EqualsWithin(size_t from, size_t to) const {
    for (size_t at = from; at < to; at = (at / 64 + 1) * 64) {
      uint64_t bits = Equals[at / 64] >> (at % 64);
      if (to - at < 64) bits &= (uint64_t(1) << (to - at)) - 1;
      if (bits != 0) return true;
    }
    return false;
  }
};
