#include "generator/ResourceScan.h"

#include "generator/HTMLTheme.h"
#include "generator/MiscUtils.h"
#include "generator/TagFinder.h"

#include <algorithm>
#include <cstdint>

namespace {

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
  TTagFinder tags(html);
  TEnclosed tag;
  const char* styleStart = nullptr;
  bool equals = false;
  while (tags.Next(tag, equals)) {
    // Without "=" a tag names nothing; it matters only when it opens or closes a style block.
    if (!equals && !MayNameStyle(std::string_view(tag.InnerStart, tag.CloserStart - tag.InnerStart)))
      continue;
    TCursor inside(tag.InnerStart, tag.CloserStart);
    std::string_view tagName;
    if (!ReadValue(inside, ' ', '\0', tagName)) continue;
    if (SameTextAscii(tagName, "style"))
      styleStart = tag.After;
    else if (SameTextAscii(tagName, "/style"))
      CollectStyleBlock(styleStart, tag.MatchStart, references);
    else if (equals)
      CollectTag(tagName, inside.Pos, tag.CloserStart, references);
  }
  return references;
}

// The url(...) references of a style block, relative to the page; a "/style" before any "style"
// closes nothing.
void TResourceScan::CollectStyleBlock(const char* start, const char* end,
                                      std::vector<TReference>& references) {
  if (!start) return;
  std::vector<std::string> urls;
  CollectUrls(std::string_view(start, end - start), "", urls);
  for (std::string& url : urls) references.push_back(TReference{std::move(url), false});
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
