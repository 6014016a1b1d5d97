#include "generator/ResourceScan.h"

#include "generator/HTMLTheme.h"
#include "generator/MiscUtils.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Where "<", ">" and "=" stand in a page, one bit a byte: the tags of a page are found by
// looking at bits instead of bytes. SSE2 marks sixteen bytes at once; elsewhere byte by byte.
class TTagMarks {
 public:
  explicit TTagMarks(std::string_view text) : Size(text.size()) {
    for (std::vector<uint64_t>& marks : Marks) marks.assign(Size / 64 + 1, 0);
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= Size; i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
      for (int kind = 0; kind < 3; ++kind)
        Mark(kind, i, static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kChars[kind])))));
    }
#endif
    for (; i < Size; ++i)
      for (int kind = 0; kind < 3; ++kind)
        if (text[i] == kChars[kind]) Mark(kind, i, 1);
  }

  // The first byte at or after from and before limit that is kChars[kind], or limit.
  size_t Next(int kind, size_t from, size_t limit) const {
    limit = std::min(limit, Size);
    if (from >= limit) return limit;
    const std::vector<uint64_t>& marks = Marks[kind];
    size_t word = from / 64;
    uint64_t bits = marks[word] & (~uint64_t(0) << (from % 64));
    while (bits == 0) {
      if (++word * 64 >= limit) return limit;
      bits = marks[word];
    }
    return std::min(limit, word * 64 + static_cast<size_t>(__builtin_ctzll(bits)));
  }

  size_t TextSize() const { return Size; }
  static constexpr int kOpen = 0, kClose = 1, kEquals = 2;

 private:
  static constexpr char kChars[3] = {'<', '>', '='};
  size_t Size;
  std::vector<uint64_t> Marks[3];

  // bits: sixteen bytes from at (a multiple of sixteen), or one byte.
  void Mark(int kind, size_t at, uint32_t bits) { Marks[kind][at / 64] |= uint64_t(bits) << (at % 64); }
};

// True when text holds key (lower case) in any letter case.
bool ContainsNoCase(std::string_view text, std::string_view key) {
  for (size_t i = 0; i + key.size() <= text.size(); ++i)
    if ((text[i] | 0x20) == key[0] && SameTextAscii(text.substr(i, key.size()), key)) return true;
  return false;
}

// The name of a tag (its first word, read as ReadValue reads it) can be "style" or "/style".
bool MayNameStyle(std::string_view inner) {
  size_t start = 0;
  while (start < inner.size() && inner[start] == ' ') ++start;
  if (start == inner.size()) return false;
  if (inner[start] == '"' || inner[start] == '\'') return true;
  std::string_view name = inner.substr(start + (inner[start] == '/' ? 1 : 0));
  return name.size() >= 5 && SameTextAscii(name.substr(0, 5), "style") &&
         (name.size() == 5 || name[5] == ' ');
}

// FindEnclosed(cursor, "<", ">") over a text that ends at its first NUL: the next tag, and the
// closer skipped when another "<" comes before the first ">". equals: the tag may hold an
// attribute.
bool NextTag(const TTagMarks& marks, const char* text, size_t& cursor, TEnclosed& tag, bool& equals) {
  const size_t end = marks.TextSize();
  const size_t open = marks.Next(TTagMarks::kOpen, cursor, end);
  size_t close = marks.Next(TTagMarks::kClose, open + 1, end);
  if (close >= end) return false;  // no "<", or no ">" after it
  equals = marks.Next(TTagMarks::kEquals, open + 1, close) < close;
  if (marks.Next(TTagMarks::kOpen, open + 1, close) < close) {
    close = marks.Next(TTagMarks::kClose, close + 1, end);
    if (close >= end) return false;
    equals = true;  // the tag goes on past the first ">": let the slow way look at it
  }
  tag.MatchStart = text + open;
  tag.InnerStart = text + open + 1;
  tag.CloserStart = text + close;
  tag.After = text + close + 1;
  cursor = close + 1;
  return true;
}

}  // namespace

void TResourceScan::CollectUrls(std::string_view css, std::string_view base,
                                std::vector<std::string>& found) {
  TCursor cursor(css);
  TEnclosed m;
  while (FindEnclosed(cursor, "url(", ")", m)) {
    TCursor inside(m.InnerStart, m.CloserStart);
    std::string_view reference;
    if (ReadValue(inside, ')', '\0', reference)) found.push_back(std::string(base) + std::string(reference));
  }
}

// A link names a resource with each href; an image with its first src; any other tag with its
// first background.
void TResourceScan::CollectTag(std::string_view tagName, const char* attributes, const char* end,
                               std::vector<TReference>& references) {
  const bool link = SameTextAscii(tagName, "link");
  const char* wanted = link ? "href" : SameTextAscii(tagName, "img") ? "src" : "background";
  // Only a tag that holds the key somewhere can name it: most tags hold none.
  if (!ContainsNoCase(std::string_view(attributes, end - attributes), wanted)) return;
  TCursor inside(attributes, end);
  std::string_view key, value;
  while (ReadWord(inside, '=', WordChars, key) && ReadValue(inside, ' ', '\0', value)) {
    if (!SameTextAscii(key, wanted)) continue;
    references.push_back(TReference{std::string(value), link});
    if (!link) break;
  }
}

std::vector<TResourceScan::TReference> TResourceScan::Collect(std::string_view html) {
  std::vector<TReference> references;
  const TTagMarks marks(html.substr(0, std::min(html.find('\0'), html.size())));
  size_t cursor = 0;
  TEnclosed tag;
  const char* styleStart = nullptr;
  bool equals = false;
  while (NextTag(marks, html.data(), cursor, tag, equals)) {
    TCursor inside(tag.InnerStart, tag.CloserStart);
    // Without "=" a tag names nothing; it matters only when it opens or closes a style block.
    if (!equals && !MayNameStyle(std::string_view(tag.InnerStart, tag.CloserStart - tag.InnerStart)))
      continue;
    std::string_view tagName;
    if (!ReadValue(inside, ' ', '\0', tagName)) continue;
    if (SameTextAscii(tagName, "style")) {
      styleStart = tag.After;
    } else if (SameTextAscii(tagName, "/style")) {
      if (!styleStart) continue;
      std::vector<std::string> urls;
      CollectUrls(std::string_view(styleStart, tag.MatchStart - styleStart), "", urls);
      for (std::string& url : urls) references.push_back(TReference{std::move(url), false});
    } else if (equals) {
      CollectTag(tagName, inside.Pos, tag.CloserStart, references);
    }
  }
  return references;
}

// A damaged archive entry raises, every time: it is never kept.
const std::optional<std::vector<std::string>>& TResourceScan::StyleSheet(const std::string& path) {
  auto known = StyleSheets.find(path);
  if (known != StyleSheets.end()) return known->second;
  std::string css;
  std::optional<std::vector<std::string>> named;
  if (Theme.ReadFile(path, css)) {
    named.emplace();
    CollectUrls(css, ToSlashes(ExtractFolderPart(path)), *named);
  }
  return StyleSheets.emplace(path, std::move(named)).first->second;
}

void TResourceScan::Resolve(const std::vector<TReference>& references,
                            std::vector<std::string>& resources) {
  for (const TReference& reference : references) {
    resources.push_back(reference.Path);
    if (!reference.StyleSheet) continue;
    const std::optional<std::vector<std::string>>& named = StyleSheet(reference.Path);
    if (named) resources.insert(resources.end(), named->begin(), named->end());
  }
}
