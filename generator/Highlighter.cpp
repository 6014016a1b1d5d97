#include "generator/Highlighter.h"

#include <algorithm>

namespace {

const TInkloomAttribute* AttributeTable() {
  using H = TInkloomHighlighter;
  static const TInkloomAttribute table[H::KindCount] = {
      {H::tkText, "Text", QColor(0, 0, 0), false, false},
      {H::tkSection, "Section", QColor(0, 0, 255), true, false},
      {H::tkComment, "Comment", QColor(0, 128, 0), false, true},
      {H::tkDirective, "Directive", QColor(79, 150, 227), false, false},
      {H::tkMacro, "Macro", QColor(128, 0, 0), false, false},
      {H::tkBlock, "Block", QColor(0, 128, 128), false, false},
  };
  return table;
}

}  // namespace

const TInkloomAttribute& TInkloomHighlighter::Attribute(int kind) {
  if (kind < 0 || kind >= KindCount) kind = tkText;
  return AttributeTable()[kind];
}

const TInkloomAttribute& TInkloomHighlighter::GetDefaultAttribute(int) {
  return Attribute(tkText);
}

void TInkloomHighlighter::SetLine(std::string_view line) {
  fLine = line;
  fRun = 0;
  fNextOpenBrace = -1;
  fBracesMatched = false;
  Next();
}

void TInkloomHighlighter::Next() {
  fTokenPos = fRun;
  fTokenKind = tkText;
  if (fRun >= Length()) {
    fRun = Length() + 1;  // the end of the line
    return;
  }
  const char c = fLine[fRun];
  const int lineKind = fRun == 0 ? WholeLineKind(c) : tkText;
  if (lineKind != tkText)
    ScanWholeLine(lineKind);
  else if (c == '{')
    ScanPlaceholder();
  else
    ScanText();
}

int TInkloomHighlighter::GetTokenLength() const {
  return std::min(fRun, Length()) - std::min(fTokenPos, Length());
}

std::string_view TInkloomHighlighter::GetToken() const {
  return fLine.substr(std::min(fTokenPos, Length()), GetTokenLength());
}

int TInkloomHighlighter::WholeLineKind(char first) {
  switch (first) {
    case '[': return tkSection;
    case ';': return tkComment;
    case '$': return tkDirective;
    case '>': return tkBlock;
    default: return tkText;
  }
}

void TInkloomHighlighter::ScanWholeLine(int kind) {
  fTokenKind = kind;
  fRun = Length();
}

// A "{" with its matching "}" on the line is a placeholder, whatever it holds; an unmatched "{"
// is plain text on its own.
void TInkloomHighlighter::ScanPlaceholder() {
  const int close = MatchingBrace(fRun);
  if (close < 0) {
    ++fRun;
    return;
  }
  fTokenKind = tkMacro;
  fRun = close + 1;
}

// Plain text runs up to the next "{"; with none left on the line, each character is a token.
void TInkloomHighlighter::ScanText() {
  const int open = NextOpenBrace(fRun + 1);
  fRun = open < Length() ? open : fRun + 1;
}

int TInkloomHighlighter::NextOpenBrace(int from) {
  if (fNextOpenBrace < from) {
    const auto found = fLine.find('{', static_cast<size_t>(from));
    fNextOpenBrace = found == std::string_view::npos ? Length() : static_cast<int>(found);
  }
  return fNextOpenBrace;
}

int TInkloomHighlighter::MatchingBrace(int open) {
  if (!fBracesMatched) MatchBraces();
  return fMatch[open];
}

// Counting the depth from a "{" stops at the first "}" that brings it back to 0; pairing the
// braces of the whole line with a stack finds the same "}" for every "{" in one pass.
void TInkloomHighlighter::MatchBraces() {
  fMatch.assign(fLine.size(), -1);
  fOpenBraces.clear();
  for (int i = 0; i < Length(); ++i) {
    if (fLine[i] == '{') {
      fOpenBraces.push_back(i);
    } else if (fLine[i] == '}' && !fOpenBraces.empty()) {
      fMatch[fOpenBraces.back()] = i;
      fOpenBraces.pop_back();
    }
  }
  fBracesMatched = true;
}
