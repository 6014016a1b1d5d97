#include "publish/FTPReply.h"

#include <cctype>

#include "generator/MiscUtils.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number of at most five digits and at most limit, starting at text[at] and not
// followed by another digit.
bool ReadNumber(std::string_view text, size_t& at, unsigned limit, unsigned& value) {
  size_t start = at;
  value = 0;
  while (at < text.size() && IsDigit(text[at]) && at - start < 5) {
    value = value * 10 + static_cast<unsigned>(text[at] - '0');
    ++at;
  }
  return at > start && value <= limit && (at == text.size() || !IsDigit(text[at]));
}

}  // namespace

std::string_view TFTPReply::Text() const {
  if (Lines.empty()) return std::string_view();
  std::string_view line = Lines.front();
  return line.size() > 4 ? line.substr(4) : std::string_view();
}

bool TFTPReply::PassivePort(uint16_t& port) const {
  if (Code != 227) return false;
  std::string_view text = Text();
  for (size_t start = 0; start < text.size(); ++start) {
    if (!IsDigit(text[start]) || (start > 0 && IsDigit(text[start - 1]))) continue;
    unsigned numbers[6];
    size_t at = start;
    int count = 0;
    while (count < 6 && ReadNumber(text, at, 255, numbers[count])) {
      ++count;
      if (count < 6) {
        if (at >= text.size() || text[at] != ',') break;
        ++at;
      }
    }
    if (count == 6) {
      port = static_cast<uint16_t>(numbers[4] * 256 + numbers[5]);
      return port != 0;
    }
  }
  return false;
}

bool TFTPReply::ExtendedPassivePort(uint16_t& port) const {
  if (Code != 229) return false;
  std::string_view text = Text();
  size_t open = text.find('(');
  if (open == std::string_view::npos || text.size() - open < 7) return false;
  char delimiter = text[open + 1];
  if (delimiter < 33 || delimiter > 126 || IsDigit(delimiter)) return false;
  if (text[open + 2] != delimiter || text[open + 3] != delimiter) return false;
  size_t at = open + 4;
  unsigned value = 0;
  if (!ReadNumber(text, at, 65535, value) || value == 0) return false;
  if (at + 1 >= text.size() || text[at] != delimiter || text[at + 1] != ')') return false;
  port = static_cast<uint16_t>(value);
  return true;
}

bool TFTPReply::QuotedPath(std::string& path) const {
  if (Code != 257) return false;
  std::string_view text = Text();
  size_t at = text.find('"');
  if (at == std::string_view::npos) return false;
  std::string result;
  for (++at; at < text.size(); ++at) {
    if (text[at] != '"') {
      result += text[at];
    } else if (at + 1 < text.size() && text[at + 1] == '"') {
      result += '"';
      ++at;
    } else {
      path = std::move(result);
      return true;
    }
  }
  return false;
}

bool TFTPReply::HasFeature(std::string_view feature) const {
  if (Code != 211 || Lines.size() < 3) return false;
  for (size_t i = 1; i + 1 < Lines.size(); ++i) {
    std::string_view line = TrimBlanks(Lines[i]);
    std::string_view word = line.substr(0, line.find(' '));
    if (SameTextAscii(word, feature)) return true;
  }
  return false;
}
