#pragma once

// The syntax highlighter of the project text. It scans one line at a time, with no state carried
// from one line to the next, and tells section headers, comments, directives, preformatted
// blocks and placeholders apart from plain text by the same column-one rules as the generator.
//
// A line is given as UTF-8 bytes and positions are byte positions, as the editor counts them.
// The rules only look at the ASCII characters [ ; $ > { }, which never occur inside the encoding
// of another character, so the tokens are those of the same line scanned as characters.
//
// Protocol:
//   for (highlighter.SetLine(line); !highlighter.GetEol(); highlighter.Next())
//     paint(highlighter.GetTokenPos(), highlighter.GetTokenLength(),
//           highlighter.GetTokenAttribute());

#include <QColor>

#include <string_view>
#include <vector>

// How the tokens of one kind are painted; the background is the editor's.
struct TInkloomAttribute {
  int Kind;
  const char* Name;  // shown to the user where the editor lists attributes
  QColor Foreground;
  bool Bold;
  bool Italic;
};

class TInkloomHighlighter {
 public:
  // The token kinds, numbered as the attribute table.
  enum TTokenKind : int {
    tkText = 0,
    tkSection = 1,
    tkComment = 2,
    tkDirective = 3,
    tkMacro = 4,
    tkBlock = 5,
  };
  static constexpr int KindCount = 6;

  // The attribute of a kind (0 .. KindCount - 1); any other number gives "Text".
  static const TInkloomAttribute& Attribute(int kind);
  // The "Text" attribute, whatever category the editor asks for.
  static const TInkloomAttribute& GetDefaultAttribute(int category);

  // Starts scanning a line: the position goes to 0 and the first token is scanned. The bytes
  // must stay valid while the line is scanned; line breaks are not part of the line.
  void SetLine(std::string_view line);
  // Scans the token that starts at the current position.
  void Next();
  // True once the position has passed the end of the line (position = length + 1).
  bool GetEol() const { return fRun > Length(); }

  int GetTokenKind() const { return fTokenKind; }
  const TInkloomAttribute& GetTokenAttribute() const { return Attribute(fTokenKind); }
  int GetTokenPos() const { return fTokenPos; }
  int GetTokenLength() const;
  std::string_view GetToken() const;

 private:
  int Length() const { return static_cast<int>(fLine.size()); }
  static int WholeLineKind(char first);
  void ScanWholeLine(int kind);
  void ScanPlaceholder();
  void ScanText();
  int NextOpenBrace(int from);
  int MatchingBrace(int open);
  void MatchBraces();

  std::string_view fLine;
  int fRun = 0;
  int fTokenPos = 0;
  int fTokenKind = tkText;
  // Where the next "{" at or after an earlier position is (Length() when there is none), or -1
  // before the line has been searched.
  int fNextOpenBrace = -1;
  // The matching "}" of each "{" by position (-1: none), filled the first time a line needs one,
  // so that a line of many unmatched braces is still scanned in linear time.
  bool fBracesMatched = false;
  std::vector<int> fMatch;
  std::vector<int> fOpenBraces;
};
