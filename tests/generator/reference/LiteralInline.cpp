#include "reference/LiteralInline.h"

#include <string_view>

namespace {

// ---- Characters -------------------------------------------------------------------------------

bool IsLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsWordChar(char c) { return IsLetterOrDigit(c) || c == '_'; }
bool IsAttributeTokenChar(char c) { return IsLetterOrDigit(c) || c == '#' || c == '-' || c == '_'; }
bool IsStylePropertyChar(char c) { return IsLetterOrDigit(c) || c == '-' || c == '_'; }

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// ---- Scanners ---------------------------------------------------------------------------------
// A cursor is an index into a text. The text ends at its first NUL byte or at its size.

size_t EndOf(const std::string& text) {
  size_t nul = text.find('\0');
  return nul == std::string::npos ? text.size() : nul;
}

// A text being scanned, with its end found once.
struct Text {
  const std::string& Bytes;
  size_t End;
  Text(const std::string& bytes) : Bytes(bytes), End(EndOf(bytes)) {}  // NOLINT: implicit
  // The byte at pos, NUL at or past the end of text.
  char operator[](size_t pos) const { return pos < End ? Bytes[pos] : '\0'; }
  std::string Copy(size_t first, size_t last) const { return Bytes.substr(first, last - first); }
  // The first occurrence of pattern at or after from, before the end of text.
  size_t Find(std::string_view pattern, size_t from) const {
    return std::string_view(Bytes).substr(0, End).find(pattern, from);
  }
};

// ReadWord: bytes of the set, at least one, stopped by delimiter (NUL: the end of text).
template <typename InSet>
bool ReadWord(const Text& text, size_t& cursor, char delimiter, InSet inSet, std::string& word) {
  size_t pos = cursor;
  while (text[pos] != '\0' && inSet(text[pos])) ++pos;
  if (pos == cursor || text[pos] != delimiter) return false;
  word = text.Copy(cursor, pos);
  if (delimiter != '\0') ++pos;
  cursor = pos;
  return true;
}

// ReadWordUntilAny with the delimiters {end of text, space}, the only ones the markup uses.
template <typename InSet>
bool ReadWordUntilEndOrSpace(const Text& text, size_t& cursor, InSet inSet, std::string& word) {
  size_t pos = cursor;
  while (text[pos] != '\0' && inSet(text[pos])) ++pos;
  char stop = text[pos];
  if (pos == cursor || (stop != '\0' && stop != ' ')) return false;
  word = text.Copy(cursor, pos);
  if (stop != '\0') ++pos;
  cursor = pos;
  return true;
}

// ReadValue: a quoted value, or the bytes up to the end of text, delimiter or alsoStop (at least
// one). Then a delimiter directly at the cursor is skipped, then spaces.
bool ReadValue(const Text& text, size_t& cursor, char delimiter, char alsoStop,
               std::string& value) {
  size_t pos = cursor;
  while (text[pos] == ' ') ++pos;
  char quote = text[pos];
  if (quote == '"' || quote == '\'') {
    size_t close = pos + 1;
    while (text[close] != '\0' && text[close] != quote) ++close;
    if (text[close] != quote) return false;
    value = text.Copy(pos + 1, close);
    pos = close + 1;
  } else {
    size_t start = pos;
    while (text[pos] != '\0' && text[pos] != delimiter && text[pos] != alsoStop) ++pos;
    if (pos == start) return false;
    value = text.Copy(start, pos);
  }
  if (delimiter != '\0' && text[pos] == delimiter) ++pos;
  while (text[pos] == ' ') ++pos;
  cursor = pos;
  return true;
}

struct Construct {
  size_t MatchStart = 0;  // the prefix
  size_t InnerStart = 0;  // the content
  size_t InnerEnd = 0;    // the closing bracket (or closer)
  size_t After = 0;       // just past it
};

// FindBracketed: prefix + open, then the close byte that brings the depth back to 0.
bool FindBracketed(const Text& text, size_t& cursor, const std::string& prefix, char open,
                   char close, Construct& found) {
  size_t match = text.Find(prefix + open, cursor);
  if (match == std::string::npos) return false;
  size_t inner = match + prefix.size() + 1;
  size_t pos = inner;
  int depth = 1;
  for (; pos < text.End; ++pos) {
    if (text[pos] == close) {
      if (--depth == 0) break;
    } else if (text[pos] == open) {
      ++depth;
    }
  }
  if (depth != 0) return false;
  found = {match, inner, pos, pos + 1};
  cursor = found.After;
  return true;
}

// FindEnclosed: opener, then the first closer; one more closer when another opener comes between.
bool FindEnclosed(const Text& text, size_t& cursor, const std::string& opener,
                  const std::string& closer, Construct& found) {
  size_t match = text.Find(opener, cursor);
  if (match == std::string::npos) return false;
  size_t inner = match + opener.size();
  size_t closeAt = text.Find(closer, inner);
  if (closeAt == std::string::npos) return false;
  size_t another = text.Find(opener, inner);
  if (another != std::string::npos && another < closeAt) {
    closeAt = text.Find(closer, closeAt + closer.size());
    if (closeAt == std::string::npos) return false;
  }
  found = {match, inner, closeAt, closeAt + closer.size()};
  cursor = found.After;
  return true;
}

// ---- Passes 4 to 7 ----------------------------------------------------------------------------

// Each pass finds the next construct; one that qualifies is replaced and the search starts again
// at the beginning of the new text; one that does not is left and the search goes on after it.
// A construct without its closing bracket ends the pass.
template <typename Find, typename MakeHTML>
std::string RunPass(std::string text, Find find, MakeHTML makeHTML, size_t largest,
                    bool& tooLarge) {
  size_t cursor = 0;
  Construct found;
  while (!tooLarge && find(text, cursor, found)) {
    std::string content = text.substr(found.InnerStart, found.InnerEnd - found.InnerStart);
    std::string html;
    if (makeHTML(content, html)) {
      text = text.substr(0, found.MatchStart) + html + text.substr(found.After);
      cursor = 0;
      tooLarge = text.size() > largest;
    }
  }
  return text;
}

bool MakeAnchor(const std::string& content, std::string& html) {
  size_t cursor = 0;
  std::string name;
  if (!ReadValue(content, cursor, ' ', '\0', name)) return false;
  html = "<a name=\"" + name + "\"></a>";
  return true;
}

bool MakeLink(const std::string& content, std::string& html) {
  size_t cursor = 0;
  std::string target;
  if (!ReadValue(content, cursor, ' ', '\0', target)) return false;
  std::string attributes, key, value;
  // A key whose value cannot be read stays consumed: the cursor is past its "=".
  while (ReadWord(content, cursor, '=', IsWordChar, key) &&
         ReadValue(content, cursor, ' ', '\0', value)) {
    key = LowerCase(key);
    if (key == "href")
      target = value;
    else
      attributes += " " + key + "=\"" + value + "\"";
  }
  std::string text = content.substr(cursor);
  if (text.empty()) text = target;
  html = "<a href=\"" + target + "\"" + attributes + ">" + text + "</a>";
  return true;
}

bool MakeImage(const std::string& content, std::string& html) {
  size_t cursor = 0;
  std::string source;
  if (!ReadValue(content, cursor, ' ', '\0', source)) return false;
  std::string link, frame, border = "0", attributes, key, value;
  while (ReadWord(content, cursor, '=', IsWordChar, key) &&
         ReadValue(content, cursor, ' ', '\0', value)) {
    key = LowerCase(key);
    if (key == "href")
      link = value;
    else if (key == "target")
      frame = value;
    else if (key == "border")
      border = value;
    else
      attributes += " " + key + "=\"" + value + "\"";
  }
  // Whatever remains of the content is ignored.
  html = "<img src=\"" + source + "\"" + attributes + " border=\"" + border + "\"/>";
  if (!link.empty()) {
    if (!frame.empty())
      html = "<a href=\"" + link + "\" target=\"" + frame + "\">" + html + "</a>";
    else
      html = "<a href=\"" + link + "\">" + html + "</a>";
  }
  return true;
}

bool MakeSpan(const std::string& content, std::string& html) {
  std::string remainder;
  std::string attributes = LiteralParseAttributes(content, &remainder);
  html = "<span" + attributes + ">" + remainder + "</span>";
  return true;
}

auto Bracketed(const std::string& prefix) {
  return [prefix](const std::string& text, size_t& cursor, Construct& found) {
    return FindBracketed(text, cursor, prefix, '[', ']', found);
  };
}

}  // namespace

std::string LiteralReplaceBracketed(const std::string& text, const std::string& prefix, char open,
                                    char close, const std::string& before,
                                    const std::string& after) {
  std::string result = text;
  for (;;) {
    size_t cursor = 0;
    Construct found;
    if (!FindBracketed(result, cursor, prefix, open, close, found)) return result;
    result = result.substr(0, found.MatchStart) + before +
             result.substr(found.InnerStart, found.InnerEnd - found.InnerStart) + after +
             result.substr(found.After);
  }
}

std::string LiteralParseAttributes(const std::string& attributeList, std::string* remainder) {
  const Text text(attributeList);
  size_t cursor = 0;
  std::string attributes;
  std::string token;
  if (ReadWordUntilEndOrSpace(text, cursor, IsAttributeTokenChar, token)) {
    if (token[0] == '#')
      attributes = " id=\"" + token.substr(1) + "\"";
    else
      attributes = " class=\"" + token + "\"";
    while (text[cursor] == ' ') ++cursor;
  } else {
    std::string declarations, property, value;
    int count = 0;
    // The remainder starts after the last declaration read: unlike a link key, a property whose
    // value cannot be read is left in it.
    size_t afterLast = cursor;
    while (ReadWord(text, cursor, ':', IsStylePropertyChar, property) &&
           ReadValue(text, cursor, ';', ' ', value)) {
      if (count++ > 0) declarations += ";";
      declarations += property + ":" + value;
      afterLast = cursor;
    }
    cursor = afterLast;
    attributes = " style=\"" + declarations + "\"";
  }
  // The remainder is the rest of attributeList, including anything after a NUL.
  if (remainder) *remainder = attributeList.substr(cursor);
  return attributes;
}

std::string LiteralConvertInline(const std::string& text) {
  bool tooLarge = false;
  return LiteralConvertInline(text, std::string::npos, &tooLarge);
}

std::string LiteralConvertInline(const std::string& text, size_t largest, bool* tooLarge) {
  // Only the text before a NUL is scanned; the replacements never add a NUL, so converting that
  // part alone and appending the rest is the same as scanning the whole with NUL as its end.
  size_t end = EndOf(text);
  std::string result = text.substr(0, end);
  const std::string rest = text.substr(end);

  // Emphasis keeps the content and adds a fixed number of bytes per bracket pair, so it cannot
  // run away; only passes 4 to 7 are watched.
  result = LiteralReplaceBracketed(result, "___", '[', ']', "<strong><em>", "</em></strong>");
  result = LiteralReplaceBracketed(result, "__", '[', ']', "<em>", "</em>");
  result = LiteralReplaceBracketed(result, "_", '[', ']', "<strong>", "</strong>");
  bool large = false;
  result = RunPass(
      result,
      [](const std::string& t, size_t& cursor, Construct& found) {
        return FindEnclosed(t, cursor, "#[", "]", found);
      },
      MakeAnchor, largest, large);
  result = RunPass(result, Bracketed("*"), MakeLink, largest, large);
  result = RunPass(result, Bracketed("!"), MakeImage, largest, large);
  result = RunPass(result, Bracketed("."), MakeSpan, largest, large);
  *tooLarge = large;
  return result + rest;
}
