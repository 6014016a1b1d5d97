#include "generator/TagFinder.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TTagFinder::TTagFinder(std::string_view html)
    : Text(html.substr(0, std::min(html.find('\0'), html.size()))) {
  Brackets.assign(Text.size() / 64 + 1, 0);
  Equals.assign(Brackets.size(), 0);
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= Text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text.data() + i));
    const __m128i brackets = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>')));
    Mark(Brackets, i, static_cast<uint32_t>(_mm_movemask_epi8(brackets)));
    Mark(Equals, i, static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')))));
  }
#endif
  for (; i < Text.size(); ++i) {
    if (Text[i] == '<' || Text[i] == '>') Mark(Brackets, i, 1);
    if (Text[i] == '=') Mark(Equals, i, 1);
  }
  Bits = Brackets[0];
}



bool TTagFinder::Next(TEnclosed& tag, bool& equals) {
  const size_t open = NextBracket('<');
  if (open == std::string_view::npos) return false;
  size_t close = NextBracket();
  bool nested = false;
  for (; close != std::string_view::npos && Text[close] == '<'; close = NextBracket()) nested = true;
  if (close == std::string_view::npos) return false;
  equals = nested || EqualsWithin(open + 1, close);
  if (nested) close = NextBracket('>');  // the first ">" closes the inner "<"; the next, this tag
  if (close == std::string_view::npos) return false;
  tag.RegionStart = Text.data() + open;
  tag.MatchStart = Text.data() + open;
  tag.InnerStart = Text.data() + open + 1;
  tag.CloserStart = Text.data() + close;
  tag.After = Text.data() + close + 1;
  return true;
}
