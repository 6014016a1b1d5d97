#include "GoldenFile.h"

#include <fstream>
#include <set>
#include <sstream>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// Checks the characters a golden line may not hold raw.
bool CheckRawLine(std::string_view line, std::string& error) {
  if (line.find('\t') != std::string_view::npos) {
    error = "raw tab (write \\t)";
    return false;
  }
  if (line.find('\r') != std::string_view::npos) {
    error = "raw CR (write \\r; save the file with LF line ends)";
    return false;
  }
  if (!line.empty() && line.back() == ' ') {
    error = "space at the end of the line (write \\s)";
    return false;
  }
  return true;
}

struct TSection {
  std::vector<std::string> Lines;  // decoded
  std::vector<bool> Kept;          // written as \e: stays even when empty and last

  void Add(std::string line, bool kept) {
    Lines.push_back(std::move(line));
    Kept.push_back(kept);
  }
  // Empty lines at the end only separate cases.
  void DropTrailingEmpty() {
    while (!Lines.empty() && Lines.back().empty() && !Kept.back()) {
      Lines.pop_back();
      Kept.pop_back();
    }
  }
  std::string Join(const char* separator, bool finalSeparator) const {
    std::string text;
    for (size_t i = 0; i < Lines.size(); ++i) {
      if (i > 0) text += separator;
      text += Lines[i];
    }
    if (finalSeparator && !Lines.empty()) text += separator;
    return text;
  }
};

}  // namespace

bool DecodeGoldenLine(std::string_view line, std::string& bytes, std::string& error) {
  bytes.clear();
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\') {
      bytes += line[i];
      continue;
    }
    if (i + 1 >= line.size()) {
      error = "backslash at the end of the line (write \\\\)";
      return false;
    }
    char code = line[++i];
    switch (code) {
      case '\\': bytes += '\\'; break;
      case 's': bytes += ' '; break;
      case 't': bytes += '\t'; break;
      case 'r': bytes += '\r'; break;
      case 'n': bytes += '\n'; break;
      case 'e': break;
      case 'x': {
        int high = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
        int low = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
        if (high < 0 || low < 0) {
          error = "\\x needs two hex digits";
          return false;
        }
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        error = std::string("unknown escape \\") + code;
        return false;
    }
  }
  return true;
}

bool ParseGoldenText(std::string_view text, const std::string& fileName,
                     std::vector<TGoldenCase>& cases, std::string& error) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }

  std::set<std::string> identifiers;
  size_t i = 0;
  auto fail = [&](size_t lineIndex, const std::string& what) {
    error = fileName + ":" + std::to_string(lineIndex + 1) + ": " + what;
    return false;
  };

  while (i < lines.size() && !StartsWith(lines[i], "### ")) ++i;  // notes
  while (i < lines.size()) {
    TGoldenCase c;
    c.File = fileName;
    c.Line = static_cast<int>(i + 1);
    c.Name = std::string(lines[i].substr(4));
    if (c.Name.empty() || c.Name.back() == ' ') return fail(i, "case name empty or ends in space");
    if (!identifiers.insert(GoldenIdentifier(c.Name)).second)
      return fail(i, "case name used twice (after reducing it to letters, digits and _)");
    ++i;

    bool crlf = false;
    for (; i < lines.size() && StartsWith(lines[i], "@"); ++i) {
      std::string_view option = lines[i];
      std::string problem;
      if (!CheckRawLine(option, problem)) return fail(i, problem);
      if (option == "@inline") {
        c.Mode = TGoldenCase::gmInline;
      } else if (option == "@attributes") {
        c.Mode = TGoldenCase::gmAttributes;
      } else if (option == "@crlf") {
        crlf = true;
      } else if (StartsWith(option, "@quotestyle ")) {
        if (!DecodeGoldenLine(option.substr(12), c.QuoteStyle, problem)) return fail(i, problem);
      } else {
        return fail(i, "unknown option " + std::string(option));
      }
    }

    TSection input, expected;
    TSection* section = &input;
    for (; i < lines.size() && !StartsWith(lines[i], "### "); ++i) {
      if (lines[i] == "---" && section == &input) {
        section = &expected;
        continue;
      }
      std::string problem, bytes;
      if (!CheckRawLine(lines[i], problem) || !DecodeGoldenLine(lines[i], bytes, problem))
        return fail(i, problem);
      // Only \e decodes a written line to nothing, and such a line is kept.
      section->Add(bytes, !lines[i].empty());
    }
    if (section != &expected) return fail(c.Line - 1, "case without a --- line");
    input.DropTrailingEmpty();
    expected.DropTrailingEmpty();

    c.Input = input.Join(crlf ? "\r\n" : "\n", false);
    switch (c.Mode) {
      case TGoldenCase::gmConvert:
        c.Expected = expected.Join("\n", true);
        break;
      case TGoldenCase::gmInline:
        c.Expected = expected.Join("\n", false);
        break;
      case TGoldenCase::gmAttributes:
        if (expected.Lines.empty() || expected.Lines.size() > 2)
          return fail(c.Line - 1, "an @attributes case expects one or two lines");
        c.Expected = expected.Lines[0];
        if (expected.Lines.size() == 2) c.ExpectedRemainder = expected.Lines[1];
        break;
    }
    cases.push_back(std::move(c));
  }
  return true;
}

bool LoadGoldenFile(const std::string& path, std::vector<TGoldenCase>& cases, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::string name = path.substr(path.find_last_of('/') + 1);
  return ParseGoldenText(text.str(), name, cases, error);
}

std::string ShowGoldenText(std::string_view text) {
  if (text.empty()) return "  (empty)\n";
  std::string shown;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    bool lineFeed = end != std::string_view::npos;
    if (!lineFeed) end = text.size();
    std::string_view line = text.substr(start, end - start);
    std::string escaped;
    for (size_t i = 0; i < line.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(line[i]);
      if (c == '\\')
        escaped += "\\\\";
      else if (c == '\t')
        escaped += "\\t";
      else if (c == '\r')
        escaped += "\\r";
      else if (c == ' ' && line.find_first_not_of(' ', i) == std::string_view::npos)
        escaped += "\\s";  // trailing spaces
      else if (c < 32 || c == 127) {
        const char* hex = "0123456789abcdef";
        escaped += "\\x";
        escaped += hex[c >> 4];
        escaped += hex[c & 15];
      } else
        escaped += static_cast<char>(c);
    }
    shown += "  |" + escaped + "\n";
    start = end + 1;
    if (!lineFeed) shown += "  (no line feed at the end)\n";
  }
  return shown;
}

std::string GoldenIdentifier(std::string_view name) {
  std::string id;
  for (char c : name) {
    bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (keep)
      id += c;
    else if (!id.empty() && id.back() != '_')
      id += '_';
  }
  while (!id.empty() && id.back() == '_') id.pop_back();
  return id.empty() ? "unnamed" : id;
}
