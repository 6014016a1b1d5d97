#include "generator/ResourceScan.h"

#include "generator/HTMLTheme.h"
#include "generator/MiscUtils.h"

#include <algorithm>
#include <cstring>

namespace {

const char* Find(const char* from, const char* end, char c) {
  return from < end ? static_cast<const char*>(std::memchr(from, c, end - from)) : nullptr;
}

// True when text holds key (lower case) in any letter case.
bool ContainsNoCase(std::string_view text, std::string_view key) {
  for (size_t i = 0; i + key.size() <= text.size(); ++i)
    if ((text[i] | 0x20) == key[0] && SameTextAscii(text.substr(i, key.size()), key)) return true;
  return false;
}

// The tag name read from cursor can be "style" or "/style", maybe quoted.
bool MayNameStyle(TCursor cursor) {
  while (cursor.Pos < cursor.End && *cursor.Pos == ' ') ++cursor.Pos;
  const char first = cursor.Peek();
  return first == 's' || first == 'S' || first == '/' || first == '"' || first == '\'';
}

}  // namespace

// FindEnclosed(cursor, "<", ">") for a text that ends at end (its first NUL), which needs no
// check for NUL bytes on the way: the next tag, and the closer skipped when another "<" comes
// before the first ">". Tags are short: a byte loop finds their end.
bool TResourceScan::NextTag(const char*& cursor, const char* end, TEnclosed& tag, bool& equals) {
  const char* open = Find(cursor, end, '<');
  if (!open) return false;
  const char* close = open + 1;
  bool nested = false;
  equals = false;
  for (; close < end && *close != '>'; ++close) {
    nested |= *close == '<';
    equals |= *close == '=';
  }
  if (nested) equals = true;  // the tag goes on past this ">": let the slow way look at it
  if (close < end && nested) close = Find(close + 1, end, '>');
  if (!close || close >= end) return false;
  tag.MatchStart = open;
  tag.InnerStart = open + 1;
  tag.CloserStart = close;
  tag.After = close + 1;
  cursor = tag.After;
  return true;
}

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
  const char* cursor = html.data();
  const char* end = cursor + std::min(html.find('\0'), html.size());
  TEnclosed tag;
  const char* styleStart = nullptr;
  bool equals = false;
  while (NextTag(cursor, end, tag, equals)) {
    TCursor inside(tag.InnerStart, tag.CloserStart);
    // Without "=" a tag names nothing; it matters only when it opens or closes a style block.
    if (!equals && !MayNameStyle(inside)) continue;
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

void TResourceScan::Resolve(const std::vector<TReference>& references, const THTMLTheme& theme,
                            std::vector<std::string>& resources) {
  std::string css;
  for (const TReference& reference : references) {
    resources.push_back(reference.Path);
    if (reference.StyleSheet && theme.ReadFile(reference.Path, css))
      CollectUrls(css, ToSlashes(ExtractFolderPart(reference.Path)), resources);
  }
}
