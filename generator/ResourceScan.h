#pragma once

// The files a page refers to that may come from its theme: style sheets named by link tags
// (and the files their url(...) references name, relative to the style sheet), images, the url(...)
// references of style blocks and background attributes. Finding them in a page needs nothing but
// the page, and can run on any thread; the style sheets are read from the theme afterwards, in
// page order, since a damaged archive entry ends the generation where it is read. What a style
// sheet names is kept until Forget (every page of a site names the same few): Resolve runs on one
// thread at a time.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class THTMLTheme;
struct TEnclosed;

class TResourceScan {
 public:
  struct TReference {
    std::string Path;         // as the page writes it
    bool StyleSheet = false;  // named by a link tag: the theme's file of that name is read too
  };

  explicit TResourceScan(const THTMLTheme& theme) : Theme(theme) {}

  // The references of a page, in the order they stand.
  static std::vector<TReference> Collect(std::string_view html);
  // The resources the references name, in order: each reference, then the files named by the
  // theme's style sheet of that name, if it has one.
  void Resolve(const std::vector<TReference>& references, std::vector<std::string>& resources);
  // The theme changed, or will.
  void Forget() { StyleSheets.clear(); }

 private:
  const THTMLTheme& Theme;
  // Style sheet (as a link names it) -> the files it names; nullopt: the theme has no such file.
  std::unordered_map<std::string, std::optional<std::vector<std::string>>> StyleSheets;

  const std::optional<std::vector<std::string>>& StyleSheet(const std::string& path);
  static void CollectUrls(std::string_view css, std::string_view base, std::vector<std::string>& found);
  static void CollectStyleBlock(const char* start, const char* end, std::vector<TReference>& references);
  static void CollectTag(std::string_view tagName, const char* attributes, const char* end,
                         std::vector<TReference>& references);
};
