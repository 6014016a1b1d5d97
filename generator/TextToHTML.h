#pragma once

// The markup converter: turns the body of one section into HTML. Block markup (headings, lists,
// tables, preformatted and quotation blocks, raw lines, paragraphs) is line oriented and nests by
// indentation, two spaces a level; the inline constructs inside a line go to ConvertInline.

#include <string>
#include <string_view>
#include <vector>

enum THTMLTag {
  htEmpty,  // no block: the state after a blank line
  htHTML,   // raw lines without an enclosing element
  htP,
  htH1,
  htH2,
  htH3,
  htUL,
  htOL,
  htPRE,
  htDIV,  // quotation: preformatted lines in a div with line breaks
  htTH,   // table header rows
  htTB    // table body rows
};

class TTextToHTML {
 public:
  // Attribute list of quotation blocks (the quotestyle directive); kept between pages.
  std::string QuoteStyle;

  std::string Convert(std::string_view body);

  // The inline constructs of one text: emphasis, anchors, links, images and spans.
  static std::string ConvertInline(std::string_view text);
  // As above; limited is set when a safety limit left some constructs unconverted.
  static std::string ConvertInline(std::string_view text, bool* limited);

  // The attribute text of an attribute list (" class=...", " id=..." or " style=...") and the
  // part of attributeList after it.
  static std::string ParseAttributes(std::string_view attributeList, std::string_view* remainder);

  // Table cells: "<td...>cell</td>" for each cell of text cut at separator.
  static std::string SplitCells(std::string_view text, char separator);
  static void AppendCells(std::string_view text, char separator, std::string& out);

  // True for a line ".[attributeList]" with nothing else on it; then its attributes are pending.
  bool IsAttributeLine(std::string_view s);

  const std::string& PendingAttributes() const { return Pending; }

 private:
  std::string Output;
  THTMLTag CurrentTag = htHTML;
  size_t Level = 0;
  std::string Pending;
  std::vector<THTMLTag> TagStack;
  std::string Cells;  // a row's cells before their inline conversion

  THTMLTag ConvertLine(std::string_view line, std::string& text);
  THTMLTag ConvertListItem(std::string_view s, THTMLTag kind, std::string& text);
  THTMLTag ConvertPreformatted(std::string_view line, std::string& text);
  THTMLTag ConvertTextLine(std::string_view line, std::string& text);
  void ChangeLevel(size_t level);
  void OpenBlock(THTMLTag kind);
  // next: the block that opens right after, which decides whether header rows end their table.
  void CloseBlock(THTMLTag kind, THTMLTag next = htEmpty);
  void AppendStartTag(const char* element, bool lineFeed);
  void AppendRow(std::string_view cells, char separator, std::string_view attributes,
                 std::string& text);
};
