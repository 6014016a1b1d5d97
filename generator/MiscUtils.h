#pragma once

// The scanners that decide what a name, a value, a bracketed construct or a line is in every part
// of the project language, the character sets of the language, the name=value list, the escapes
// of stored values, and the path and file helpers of the generator.
//
// Text inside the generator is a std::string of bytes (the UTF-8 form of the project text); the
// scanners treat every byte as one character. A scanner works on a cursor; the end of text is the
// end of the cursor's range or a NUL byte, whichever comes first. A scanner that fails leaves the
// cursor where it was.

#include <QStringList>

#include <sys/stat.h>

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A set of byte values.
class TCharSet {
 public:
  constexpr TCharSet() : Members{} {}
  // singles: bytes that are members; ranges: pairs of bytes, each an inclusive range;
  // leadBytes: the bytes 192 to 255 (lead bytes of UTF-8 sequences) are members too.
  constexpr TCharSet(std::string_view singles, std::string_view ranges, bool leadBytes)
      : Members{} {
    for (char c : singles) Members[static_cast<unsigned char>(c)] = true;
    for (size_t i = 0; i + 1 < ranges.size(); i += 2)
      for (int c = static_cast<unsigned char>(ranges[i]); c <= static_cast<unsigned char>(ranges[i + 1]); ++c)
        Members[c] = true;
    if (leadBytes)
      for (int c = 192; c <= 255; ++c) Members[c] = true;
  }
  constexpr bool Contains(char c) const { return Members[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> Members;
};

inline constexpr TCharSet WordChars("_", "09AZaz", false);
inline constexpr TCharSet DirectiveNameChars("-._", "09AZaz", true);
inline constexpr TCharSet PlaceholderNameChars("$&-._", "09AZaz", true);
inline constexpr TCharSet AttributeTokenChars("#-_", "09AZaz", false);
inline constexpr TCharSet StylePropertyChars("-_", "09AZaz", false);

// A position in a text and the end of that text.
struct TCursor {
  const char* Pos = nullptr;
  const char* End = nullptr;

  TCursor() = default;
  TCursor(const char* pos, const char* end) : Pos(pos), End(end) {}
  explicit TCursor(std::string_view text) : Pos(text.data()), End(text.data() + text.size()) {}

  bool AtEnd() const { return Pos >= End || *Pos == '\0'; }
  // The byte at the cursor, NUL at the end of text.
  char Peek() const { return AtEnd() ? '\0' : *Pos; }
};

// The bytes from first up to, not including, last; empty when last is not after first.
std::string CopyRange(const char* first, const char* last);

// A line ends at CR, LF or the end of text; then one CR and one LF are skipped if present.
// Fails at the end of text, so a final line break yields no empty last line.
bool ReadLine(TCursor& cursor, std::string_view& line);

// The lines of text joined by LF as an expansion joins them (CR LF and CR become LF, a final
// line break is dropped); a text without LF is returned as it is.
std::string RejoinLines(std::string_view text);

// Takes bytes of set; succeeds when at least one was taken and the byte that stopped it is
// delimiter (NUL: the end of text). The cursor then moves past the delimiter.
bool ReadWord(TCursor& cursor, char delimiter, const TCharSet& set, std::string_view& word);

// As ReadWord, but the stopping byte must be in delimiters (NUL in delimiters: the end of text).
bool ReadWordUntilAny(TCursor& cursor, const TCharSet& delimiters, const TCharSet& set,
                      std::string_view& word);

// Skips spaces, then reads a quoted value ("..." or '...', may be empty) or the bytes up to the
// end of text, delimiter or alsoStop (at least one). On success a delimiter at the cursor is
// skipped, then spaces. alsoStop NUL means no second stop byte.
bool ReadValue(TCursor& cursor, char delimiter, char alsoStop, std::string_view& value);

// The text up to the next delimiter (possibly empty); fails when there is none.
bool ReadUntil(TCursor& cursor, char delimiter, std::string_view& text);

struct TEnclosed {
  const char* RegionStart = nullptr;
  const char* MatchStart = nullptr;
  const char* InnerStart = nullptr;
  const char* CloserStart = nullptr;
  const char* After = nullptr;
};

// Finds opener ... closer, skipping one extra closer when another opener comes before the first.
bool FindEnclosed(TCursor& cursor, std::string_view opener, std::string_view closer,
                  TEnclosed& match);

struct TBracketed {
  const char* RegionStart = nullptr;
  const char* MatchStart = nullptr;
  const char* InnerStart = nullptr;
  const char* CloseAt = nullptr;
};

// Finds prefix + open and the close byte that matches it, counting nested open and close bytes.
bool FindBracketed(TCursor& cursor, std::string_view prefix, char open, char close,
                   TBracketed& match);

// Replaces every construct prefix open ... close by before + content + after, the outer one of
// nested constructs first, and stops at the first construct whose close byte is missing.
std::string ReplaceBracketed(std::string_view text, std::string_view prefix, char open, char close,
                             std::string_view before, std::string_view after);

// "\" -> "\\", LF -> "\n", CR -> "\r".
std::string EscapeText(std::string_view text);
// The reverse; a backslash before any other byte, or last, stays as it is.
std::string UnescapeText(std::string_view text);
// How much of text UnescapeText leaves as it is, whatever is appended to it: up to its first
// escape sequence, or its last byte when that is a backslash.
size_t UnescapedPrefix(std::string_view text);

// An ordered list of "name=value" strings, split at the first "=". Names compare without regard
// to ASCII letter case; entries without "=" have no name and are never found by name.
class TNameValueList {
 public:
  int Count() const { return static_cast<int>(Entries.size()); }
  const std::string& Entry(int index) const { return Entries[index]; }
  const std::vector<std::string>& EntryList() const { return Entries; }

  void Add(std::string entry);
  void Delete(int index);
  void Clear();

  // Index of the first entry with that name, or -1.
  int IndexOfName(std::string_view name) const;
  // The name of an entry (empty when it has no "="), and its value (the whole entry then).
  std::string Name(int index) const;
  std::string Value(int index) const;
  // Replaces the value of the first entry with that name, or appends "name=value".
  void SetValue(std::string_view name, std::string_view value);
  // The entry index (named name, letter case aside) becomes name=, the first keep bytes of its
  // value, then tail: in place, so that growing a value is linear.
  void ReplaceValueTail(int index, std::string_view name, size_t keep, std::string_view tail);

 private:
  std::vector<std::string> Entries;
  // Short lists (a page's variables, a macro's arguments) are searched entry by entry; longer
  // ones through the index: lower-cased name -> index of its first entry, made on demand.
  static constexpr size_t kLinearSize = 8;
  mutable std::unordered_map<std::string, int> FirstIndex;
  mutable bool IndexValid = true;

  void RebuildIndex() const;
};

// An ordered list of names, each kept once; names compare without regard to ASCII letter case.
class TUniqueNameList {
 public:
  // False when the name was there already.
  bool Add(std::string_view name);
  bool Contains(std::string_view name) const;
  void Clear();
  const std::vector<std::string>& Names() const { return Items; }

 private:
  std::vector<std::string> Items;
  std::unordered_map<std::string, int> Lowered;
};

// The value of the first entry named name; a missing list (nullptr) finds nothing.
bool LookupValue(const TNameValueList* list, std::string_view name, std::string& value);

std::string LowerCaseAscii(std::string_view text);
std::string UpperCaseAscii(std::string_view text);
// Without its leading and trailing bytes of value 32 or less (spaces, tabs, line breaks).
std::string_view TrimBlanks(std::string_view text);
// True when a and b are equal without regard to ASCII letter case.
bool SameTextAscii(std::string_view a, std::string_view b);

// Paths inside the program keep backslashes (names made on Windows stay compatible);
// FileSystemPath turns them into the form every file-system call takes.
bool IsAbsolutePath(std::string_view path);  // begins with "/" or "\", or contains ":"
std::string ToBackslashes(std::string_view text);
std::string ToSlashes(std::string_view text);
QString FileSystemPath(std::string_view path);

// A folder path with a separator at its end ("/" added unless it ends with "/" or "\").
std::string IncludeTrailingSeparator(std::string_view path);
// The folder part of a path, up to and including its last separator; empty without one.
std::string ExtractFolderPart(std::string_view path);

// A relative name inside a folder ("css\..\img\bg.png") reduced to its plain form
// ("img/bg.png"); false for a name that leads out of the folder (too many "..", a leading
// separator, a drive) or names nothing.
bool NormalizeRelativePath(std::string_view name, std::string& normalized);
// The existing entry below folder that relative ("/"-separated) names: exactly when it exists,
// otherwise matching each part without regard to letter case (names made on Windows). Empty
// when there is none.
QString ResolvePathIgnoringCase(const QString& folder, const QString& relative);

// The real path of an existing entry, every link resolved; empty when there is none.
QString RealPath(const QString& path);
// Whether the real path lies in (or is) the real folder root.
bool PathWithin(const QString& root, const QString& path);

// The whole file, byte for byte; false when it cannot be opened.
bool ReadFileText(std::string_view path, std::string& bytes);
// Creates the missing folders, then writes the file; a file that cannot be written is skipped, and
// one that already holds exactly these bytes is left untouched. True when the file holds them.
bool WriteFileText(std::string_view path, std::string_view bytes);
// The regular file open at fd, of the size info gives, holds exactly bytes (read from its start).
bool HoldsBytes(int fd, const struct stat& info, std::string_view bytes);
// Writes bytes at the start of the file open at fd.
bool WriteAll(int fd, std::string_view bytes);
// Copies a folder tree; false unless the source exists, the destination exists or can be made and
// the two are not the same folder (links resolved). The result is that of the last entry copied;
// a file that is its own destination is left as it is.
bool CopyFolder(std::string_view source, std::string_view destination, bool overwrite);
// Copies the files and folders matching the wildcards of the last part of pattern into
// destination (as MatchingNames matches them). False when nothing matches.
bool CopyMatchingFiles(std::string_view pattern, std::string_view destination, bool overwrite);
// The names of the entries (only the files with filesOnly) of folder that match wildcard: "*"
// stands for any run of characters, "?" for one, any other character for itself, letter case
// aside. Hidden entries (names starting with ".") do not match. In name order, letter case aside.
QStringList MatchingNames(const QString& folder, const QString& wildcard, bool filesOnly);
