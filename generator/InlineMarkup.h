#pragma once

// The inline constructs of the markup: emphasis _[...], __[...], ___[...], anchors #[...],
// links *[...], images ![...] and spans .[...], and the attribute list used by spans,
// attribute lines and quotation blocks.
//
// Each pass behaves as if it searched the text from its start again after every replacement
// (so replacements that bring new constructs into the text have them converted too), but does
// the work in near-linear time: see InlineMarkup.cpp.

#include <string>
#include <string_view>
#include <vector>

struct TStyleDeclaration {
  std::string_view Property;
  std::string_view Value;
};

// An attribute list taken apart: a class, an id or style declarations.
struct TAttributeSpec {
  enum TKind { akClass, akId, akStyle };
  TKind Kind = akStyle;
  std::string_view Token;  // the class, or the id without its "#"
  std::vector<TStyleDeclaration> Declarations;
  std::string_view Remainder;  // the text after the attribute list
};

class TInlineMarkup {
 public:
  // limited (optional) is set when a safety limit made a pass leave its constructs unconverted.
  static std::string Convert(std::string_view text, bool* limited);
  // As Convert, appending to out.
  static void Append(std::string_view text, std::string& out, bool* limited);

  static TAttributeSpec ScanAttributes(std::string_view attributeList);
  // " class="C"", " id="I"" or " style="p:v;p:v"".
  static std::string RenderAttributes(const TAttributeSpec& attributeList);
};
