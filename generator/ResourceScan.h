#pragma once

// The files a page refers to that may come from its theme: style sheets named by link tags
// (and the files their url(...) references name, relative to the style sheet), images, the url(...)
// references of style blocks and background attributes. Finding them in a page needs nothing but
// the page, and can run on any thread; the style sheets are read from the theme afterwards, in
// page order, since a damaged archive entry ends the generation where it is read.

#include <string>
#include <string_view>
#include <vector>

class THTMLTheme;
struct TEnclosed;

class TResourceScan {
 public:
  struct TReference {
    std::string Path;         // as the page writes it
    bool StyleSheet = false;  // named by a link tag: the theme's file of that name is read too
  };

  // The references of a page, in the order they stand.
  static std::vector<TReference> Collect(std::string_view html);
  // The resources the references name, in order: each reference, then the files named by the
  // theme's style sheet of that name, if it has one.
  static void Resolve(const std::vector<TReference>& references, const THTMLTheme& theme,
                      std::vector<std::string>& resources);

 private:
  static void CollectUrls(std::string_view css, std::string_view base, std::vector<std::string>& found);
  static void CollectTag(std::string_view tagName, const char* attributes, const char* end,
                         std::vector<TReference>& references);
};
