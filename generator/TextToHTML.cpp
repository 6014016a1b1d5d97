#include "generator/TextToHTML.h"

#include "generator/InlineMarkup.h"
#include "generator/MiscUtils.h"

namespace {

const char* ElementName(THTMLTag kind) {
  switch (kind) {
    case htP: return "p";
    case htH1: return "h1";
    case htH2: return "h2";
    case htH3: return "h3";
    case htUL: return "ul";
    case htOL: return "ol";
    case htPRE: return "pre";
    case htDIV: return "div";
    default: return "";
  }
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() &&
         std::char_traits<char>::compare(s.data(), prefix.data(), prefix.size()) == 0;
}

void AppendInline(std::string_view text, std::string& out) { TInlineMarkup::Append(text, out, nullptr); }

// Preformatted content: nothing in it may look like markup, a tag or a placeholder to the
// conversions that later run over the page again, and runs of spaces must survive.
void AppendPreformatted(std::string_view content, std::string& out) {
  for (size_t i = 0; i < content.size(); ++i) {
    switch (content[i]) {
      case '&': out += "&#38;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '[': out += "&#91;"; break;
      case '{': out += "&#123;"; break;
      case '\t': out += "&nbsp;&nbsp;"; break;
      case ' ':
        if (i + 1 < content.size() && content[i + 1] == ' ') {
          out += "&nbsp;&nbsp;";
          ++i;
        } else {
          out += "&#32;";
        }
        break;
      default: out += content[i];
    }
  }
}

}  // namespace

std::string TTextToHTML::ConvertInline(std::string_view text) {
  return TInlineMarkup::Convert(text, nullptr);
}

std::string TTextToHTML::ConvertInline(std::string_view text, bool* limited) {
  return TInlineMarkup::Convert(text, limited);
}

std::string TTextToHTML::ParseAttributes(std::string_view attributeList, std::string_view* remainder) {
  TAttributeSpec parsed = TInlineMarkup::ScanAttributes(attributeList);
  if (remainder) *remainder = parsed.Remainder;
  return TInlineMarkup::RenderAttributes(parsed);
}

std::string TTextToHTML::SplitCells(std::string_view text, char separator) {
  std::string out;
  AppendCells(text, separator, out);
  return out;
}

namespace {

// One cell: its alignment from its leading spaces, the columns it spans, its text trimmed.
void AppendCell(std::string_view candidate, int columns, std::string& out) {
  size_t spaces = 0;
  while (spaces < candidate.size() && candidate[spaces] == ' ') ++spaces;
  out += "<td";
  if (spaces >= 2)
    out += " align=\"right\"";
  else if (spaces == 1)
    out += " align=\"center\"";
  if (columns > 1) {
    out += " colspan=\"";
    out += std::to_string(columns);
    out += '"';
  }
  out += '>';
  out.append(TrimBlanks(candidate));
  out += "</td>";
}

}  // namespace

void TTextToHTML::AppendCells(std::string_view text, char separator, std::string& out) {
  int columns = 1;
  auto addCell = [&](std::string_view candidate) {
    if (candidate.empty()) {
      ++columns;  // the next cell spans one more column
      return;
    }
    AppendCell(candidate, columns, out);
    columns = 1;
  };
  TCursor cursor(text);
  std::string_view candidate;
  while (ReadUntil(cursor, separator, candidate)) addCell(candidate);
  std::string_view rest(cursor.Pos, text.data() + text.size() - cursor.Pos);
  if (!TrimBlanks(rest).empty()) addCell(rest);
}

// A table row: "<tr" + attributes + ">", the cells converted inline, "</tr>\n".
void TTextToHTML::AppendRow(std::string_view cells, char separator, std::string_view attributes,
                            std::string& text) {
  text += "<tr";
  text.append(attributes);
  text += '>';
  Cells.clear();
  AppendCells(cells, separator, Cells);
  AppendInline(Cells, text);
  text += "</tr>\n";
}

bool TTextToHTML::IsAttributeLine(std::string_view s) {
  if (!StartsWith(s, ".[")) return false;
  TCursor cursor(s);
  TBracketed m;
  if (!FindBracketed(cursor, ".", '[', ']', m)) return false;
  if (!TrimBlanks(std::string_view(cursor.Pos, s.data() + s.size() - cursor.Pos)).empty()) return false;
  std::string_view remainder;
  std::string attributes =
      ParseAttributes(std::string_view(m.InnerStart, m.CloseAt - m.InnerStart), &remainder);
  if (!TrimBlanks(remainder).empty()) return false;
  Pending = std::move(attributes);
  return true;
}

void TTextToHTML::AppendStartTag(const char* element, bool lineFeed) {
  Output += '<';
  Output += element;
  Output += Pending;
  Pending.clear();
  Output += lineFeed ? ">\n" : ">";
}

void TTextToHTML::OpenBlock(THTMLTag kind) {
  switch (kind) {
    case htP:
    case htH1:
    case htH2:
    case htH3:
      AppendStartTag(ElementName(kind), false);
      break;
    case htUL:
    case htOL:
    case htPRE:
    case htDIV:
      AppendStartTag(ElementName(kind), true);
      break;
    case htTH:
      AppendStartTag("table", true);
      Output += "<thead>\n";
      break;
    case htTB:
      // Body rows right after header rows continue the same table.
      if (CurrentTag != htTH) AppendStartTag("table", true);
      AppendStartTag("tbody", true);
      break;
    case htEmpty:
    case htHTML:
      break;
  }
  CurrentTag = kind;
}

void TTextToHTML::CloseBlock(THTMLTag kind, THTMLTag next) {
  switch (kind) {
    case htUL:
    case htOL:
      Output += "</li>\n";
      [[fallthrough]];
    case htP:
    case htH1:
    case htH2:
    case htH3:
    case htPRE:
    case htDIV:
      Output += "</";
      Output += ElementName(kind);
      Output += ">\n";
      break;
    case htTH:
      // Body rows continue the table; anything else ends it, so header rows alone still make
      // a closed table.
      Output += next == htTB ? "</thead>\n" : "</thead>\n</table>\n";
      break;
    case htTB:
      Output += "</tbody>\n</table>\n";
      break;
    case htEmpty:
    case htHTML:
      break;
  }
}

std::string TTextToHTML::Convert(std::string_view body) {
  CurrentTag = htHTML;
  Level = 0;
  TagStack.assign(1, htHTML);
  Pending.clear();
  Output.clear();
  Output.reserve(body.size() + body.size() / 2 + 256);  // HTML is a little longer than its markup
  TCursor cursor(body);
  std::string_view line;
  std::string text;
  while (ReadLine(cursor, line)) {
    text.clear();
    THTMLTag kind = ConvertLine(line, text);
    if (kind != CurrentTag) {
      CloseBlock(CurrentTag, kind);
      OpenBlock(kind);
    }
    Output += text;
  }
  TagStack[Level] = CurrentTag;
  for (size_t level = Level + 1; level-- > 0;) CloseBlock(TagStack[level]);
  std::string result;
  result.swap(Output);
  Pending.clear();
  return result;
}

// Two leading spaces are one level deeper; a deeper level starts with no open block, and a
// shallower one closes the blocks of the levels it leaves.
void TTextToHTML::ChangeLevel(size_t level) {
  if (level > Level) {
    if (TagStack.size() < level + 1) TagStack.resize(level + 1, htHTML);
    TagStack[Level] = CurrentTag;
    for (size_t i = Level + 1; i <= level; ++i) TagStack[i] = htHTML;
    CurrentTag = htHTML;
  } else if (level < Level) {
    TagStack[Level] = CurrentTag;
    for (size_t i = Level; i > level; --i) CloseBlock(TagStack[i]);
    CurrentTag = TagStack[level];
  }
  Level = level;
}

THTMLTag TTextToHTML::ConvertLine(std::string_view line, std::string& text) {
  size_t spaces = 0;
  while (spaces < line.size() && line[spaces] == ' ') ++spaces;
  ChangeLevel(spaces / 2);

  std::string_view s = TrimBlanks(line);
  static constexpr struct {
    std::string_view Marker;
    THTMLTag Kind;
  } kHeadings[] = {{"= ", htH1}, {"== ", htH2}, {"=== ", htH3}};
  for (const auto& heading : kHeadings) {
    if (!StartsWith(s, heading.Marker)) continue;
    if (CurrentTag == heading.Kind) {  // consecutive lines of one level are separate headings
      CloseBlock(heading.Kind);
      OpenBlock(heading.Kind);
    }
    AppendInline(s.substr(heading.Marker.size()), text);
    return heading.Kind;
  }
  if (StartsWith(s, "# ")) return ConvertListItem(s, htOL, text);
  if (StartsWith(s, "* ")) return ConvertListItem(s, htUL, text);
  if (s.empty()) return htEmpty;
  switch (s[0]) {
    case '>':
      return ConvertPreformatted(line, text);
    case '^':
      AppendRow(s.substr(1), '^', "", text);
      return htTH;
    case '|':
      // Attributes pending inside a table body go to its next row.
      AppendRow(s.substr(1), '|', CurrentTag == htTB ? std::string_view(Pending) : "", text);
      if (CurrentTag == htTB) Pending.clear();
      return htTB;
    case ';':
      return CurrentTag;  // a comment
    case '<':
      AppendInline(line, text);
      text += '\n';
      return htHTML;
  }
  if (IsAttributeLine(s)) return CurrentTag;
  return ConvertTextLine(line, text);
}

THTMLTag TTextToHTML::ConvertListItem(std::string_view s, THTMLTag kind, std::string& text) {
  // Items stay open: the next item closes the previous one, so deeper blocks nest inside.
  text += CurrentTag == kind ? "</li>\n<li>" : "<li>";
  AppendInline(s.substr(2), text);
  return kind;
}

THTMLTag TTextToHTML::ConvertPreformatted(std::string_view line, std::string& text) {
  size_t marker = 0;
  while (IsBlank(line[marker])) ++marker;
  AppendPreformatted(line.substr(marker + 1), text);
  if (CurrentTag == htDIV || !Pending.empty()) {
    text += "<br/>";
    return htDIV;
  }
  if (!QuoteStyle.empty()) {
    Pending = ParseAttributes(QuoteStyle, nullptr);
    text += "<br/>";
    return htDIV;
  }
  text += '\n';
  return htPRE;
}

THTMLTag TTextToHTML::ConvertTextLine(std::string_view line, std::string& text) {
  switch (CurrentTag) {
    case htEmpty:
      AppendInline(line, text);
      return htP;
    case htHTML:
      AppendInline(line, text);
      text += '\n';
      return htHTML;
    case htP:
    case htH1:
    case htH2:
    case htH3:
    case htUL:
    case htOL:
      text += "<br/>";
      AppendInline(line, text);
      return CurrentTag;
    default:
      AppendInline(line, text);
      return CurrentTag;
  }
}
