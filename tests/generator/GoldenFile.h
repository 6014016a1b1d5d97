#pragma once

// Golden files: many markup conversion cases in one readable text file, each with its input and
// the exact HTML expected, worked out by hand from the markup rules.
//
//   notes before the first case are ignored
//   ### nested list with text inside items      <- a case: its name, unique within the file
//   @quotestyle quote                           <- options, only right after the name line
//   * a                                         <- input lines
//     * b
//   ---                                         <- separates input from expected output
//   <ul>                                        <- expected lines, up to the next ### or the end
//   ...
//
// Options:
//   @inline            the input goes through TTextToHTML::ConvertInline instead of Convert
//   @attributes        the input goes through ParseAttributes; the expected lines are the
//                      attribute text and, on a second line if not empty, the remainder
//   @quotestyle VALUE  sets QuoteStyle before Convert
//   @crlf              the input lines are joined by CR LF instead of LF
//
// Input lines are joined by LF (CR LF with @crlf) without a final line break; the body of a page
// usually ends with one, so end the last line with \n to give it. Expected lines of a Convert case
// each end with LF, as every element Convert closes does; those of the other cases are joined by
// LF with nothing after the last. Empty lines at the end of either section only separate cases;
// write \e on a line to keep it.
//
// Escapes, in input, expected lines and option values: \\ backslash, \s space, \t tab, \r CR,
// \n LF, \e nothing, \xHH any byte. A raw tab or CR, or a space or tab at the end of a data line,
// is an error, so that no case depends on characters an editor would show the same or strip.

#include <string>
#include <string_view>
#include <vector>

struct TGoldenCase {
  enum TMode { gmConvert, gmInline, gmAttributes };

  std::string File;  // file name, for messages
  int Line = 0;      // line of the ### name line
  std::string Name;
  TMode Mode = gmConvert;
  std::string QuoteStyle;
  std::string Input;
  std::string Expected;           // the HTML; for gmAttributes, the attribute text
  std::string ExpectedRemainder;  // gmAttributes only
};

// Decodes the escapes of one line.
bool DecodeGoldenLine(std::string_view line, std::string& bytes, std::string& error);

// Parses the text of a golden file; on an error, error is "file:line: what" and false returned.
bool ParseGoldenText(std::string_view text, const std::string& fileName,
                     std::vector<TGoldenCase>& cases, std::string& error);

bool LoadGoldenFile(const std::string& path, std::vector<TGoldenCase>& cases, std::string& error);

// The text written with the same escapes, lines kept as lines, so that a failing case shows every
// byte and can be pasted back into a golden file.
std::string ShowGoldenText(std::string_view text);

// A name made of letters, digits and underscores (for test names), from the case name.
std::string GoldenIdentifier(std::string_view name);
