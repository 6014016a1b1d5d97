#include "generator/MiscUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string CopyRange(const char* first, const char* last) {
  if (last <= first) return std::string();
  return std::string(first, last);
}

bool ReadLine(TCursor& cursor, std::string_view& line) {
  if (cursor.AtEnd()) return false;
  const char* start = cursor.Pos;
  // The line ends at the first CR, LF or NUL; memchr finds each quickly.
  const char* p = cursor.End;
  for (char stop : {'\n', '\r', '\0'}) {
    const void* hit = std::memchr(start, stop, static_cast<size_t>(p - start));
    if (hit) p = static_cast<const char*>(hit);
  }
  line = std::string_view(start, p - start);
  if (p < cursor.End && *p == '\r') ++p;
  if (p < cursor.End && *p == '\n') ++p;
  cursor.Pos = p;
  return true;
}

std::string RejoinLines(std::string_view text) {
  if (text.find('\n') == std::string_view::npos) return std::string(text);
  // Lines ended by LF alone come back as they are, less the last line break.
  if (text.find('\r') == std::string_view::npos && text.find('\0') == std::string_view::npos)
    return std::string(text.substr(0, text.size() - (text.back() == '\n' ? 1 : 0)));
  std::string out;
  out.reserve(text.size());
  TCursor cursor(text);
  std::string_view line;
  for (bool first = true; ReadLine(cursor, line); first = false) {
    if (!first) out += '\n';
    out.append(line);
  }
  return out;
}

namespace {

// Advances over the bytes of set; returns where it stopped.
const char* SkipSet(const TCursor& cursor, const TCharSet& set) {
  const char* p = cursor.Pos;
  while (p < cursor.End && *p != '\0' && set.Contains(*p)) ++p;
  return p;
}

char ByteAt(const TCursor& cursor, const char* p) { return p < cursor.End ? *p : '\0'; }

const char* SkipSpaces(const char* p, const char* end) {
  while (p < end && *p == ' ') ++p;
  return p;
}

// The first occurrence of needle in [from, end) before any NUL byte, or nullptr. Only the
// bytes up to the occurrence are looked at, so scanning a text construct by construct stays
// linear.
const char* FindText(const char* from, const char* end, std::string_view needle) {
  if (needle.empty()) return from;
  if (from >= end) return nullptr;
  const void* found = memmem(from, end - from, needle.data(), needle.size());
  const char* hit = static_cast<const char*>(found);
  const char* stop = hit ? hit : end;
  if (std::memchr(from, '\0', stop - from)) return nullptr;  // the text ends before
  return hit;
}

}  // namespace

bool ReadWord(TCursor& cursor, char delimiter, const TCharSet& set, std::string_view& word) {
  const char* stop = SkipSet(cursor, set);
  if (stop == cursor.Pos || ByteAt(cursor, stop) != delimiter) return false;
  word = std::string_view(cursor.Pos, stop - cursor.Pos);
  cursor.Pos = delimiter == '\0' ? stop : stop + 1;
  return true;
}

bool ReadWordUntilAny(TCursor& cursor, const TCharSet& delimiters, const TCharSet& set,
                      std::string_view& word) {
  const char* stop = SkipSet(cursor, set);
  char stopByte = ByteAt(cursor, stop);
  if (stop == cursor.Pos || !delimiters.Contains(stopByte)) return false;
  word = std::string_view(cursor.Pos, stop - cursor.Pos);
  cursor.Pos = stopByte == '\0' ? stop : stop + 1;
  return true;
}

bool ReadValue(TCursor& cursor, char delimiter, char alsoStop, std::string_view& value) {
  const char* p = SkipSpaces(cursor.Pos, cursor.End);
  char first = ByteAt(cursor, p);
  if (first == '"' || first == '\'') {
    const char* start = p + 1;
    const char* q = start;
    while (q < cursor.End && *q != '\0' && *q != first) ++q;
    if (ByteAt(cursor, q) != first) return false;
    value = std::string_view(start, q - start);
    p = q + 1;
  } else {
    const char* start = p;
    while (p < cursor.End && *p != '\0' && *p != delimiter && *p != alsoStop) ++p;
    if (p == start) return false;
    value = std::string_view(start, p - start);
  }
  if (delimiter != '\0' && ByteAt(cursor, p) == delimiter) ++p;
  cursor.Pos = SkipSpaces(p, cursor.End);
  return true;
}

bool ReadUntil(TCursor& cursor, char delimiter, std::string_view& text) {
  const char* p = cursor.Pos;
  while (p < cursor.End && *p != '\0' && *p != delimiter) ++p;
  if (delimiter == '\0' || p >= cursor.End || *p != delimiter) return false;
  text = std::string_view(cursor.Pos, p - cursor.Pos);
  cursor.Pos = p + 1;
  return true;
}

bool FindEnclosed(TCursor& cursor, std::string_view opener, std::string_view closer,
                  TEnclosed& match) {
  if (opener.empty() || closer.empty()) return false;
  const char* end = cursor.End;
  const char* matchStart = FindText(cursor.Pos, end, opener);
  if (!matchStart) return false;
  const char* innerStart = matchStart + opener.size();
  const char* closerStart = FindText(innerStart, end, closer);
  if (!closerStart) return false;
  // Another opener that starts before the closer skips one more closer.
  const char* nestedLimit = std::min(end, closerStart + opener.size() - 1);
  if (FindText(innerStart, nestedLimit, opener)) {
    closerStart = FindText(closerStart + closer.size(), end, closer);
    if (!closerStart) return false;
  }
  match.RegionStart = cursor.Pos;
  match.MatchStart = matchStart;
  match.InnerStart = innerStart;
  match.CloserStart = closerStart;
  match.After = closerStart + closer.size();
  cursor.Pos = match.After;
  return true;
}

bool FindBracketed(TCursor& cursor, std::string_view prefix, char open, char close,
                   TBracketed& match) {
  std::string opener(prefix);
  opener += open;
  const char* matchStart = FindText(cursor.Pos, cursor.End, opener);
  if (!matchStart) return false;
  const char* innerStart = matchStart + opener.size();
  size_t depth = 1;
  const char* p = innerStart;
  for (; p < cursor.End && *p != '\0'; ++p) {
    if (*p == close) {
      if (--depth == 0) break;
    } else if (*p == open) {
      ++depth;
    }
  }
  if (depth != 0) return false;
  match.RegionStart = cursor.Pos;
  match.MatchStart = matchStart;
  match.InnerStart = innerStart;
  match.CloseAt = p;
  cursor.Pos = p + 1;
  return true;
}

namespace {

// Restarts from the beginning after every replacement: needed only when before or after could
// themselves form or break a construct.
std::string ReplaceBracketedRestarting(std::string_view input, std::string_view prefix, char open,
                                       char close, std::string_view before,
                                       std::string_view after) {
  std::string text(input);
  for (;;) {
    TCursor cursor(text);
    TBracketed m;
    if (!FindBracketed(cursor, prefix, open, close, m)) return text;
    std::string next;
    next.reserve(text.size() + before.size() + after.size());
    const char* base = text.data();
    next.append(base, m.MatchStart - base);
    next.append(before);
    next.append(m.InnerStart, m.CloseAt - m.InnerStart);
    next.append(after);
    next.append(m.CloseAt + 1, base + text.size() - (m.CloseAt + 1));
    text.swap(next);
  }
}

bool SharesAnyByte(std::string_view a, std::string_view b) {
  return a.find_first_of(b) != std::string_view::npos;
}

}  // namespace

// When before and after hold none of the bytes of prefix, open and close, a replacement neither
// creates nor destroys another construct, and removing a matched pair of brackets leaves every
// other pair matched as it was. The constructs replaced are then exactly the occurrences of
// prefix + open in text order, up to the first one without its close byte, and one pass over
// the text with a stack of open brackets finds them all.
std::string ReplaceBracketed(std::string_view text, std::string_view prefix, char open, char close,
                             std::string_view before, std::string_view after) {
  std::string special(prefix);
  special += open;
  special += close;
  if (SharesAnyByte(prefix, std::string{open, close}) || before.empty() || after.empty() || SharesAnyByte(before, special) ||
      SharesAnyByte(after, special))
    return ReplaceBracketedRestarting(text, prefix, open, close, before, after);

  size_t n = text.find('\0');
  if (n == std::string_view::npos) n = text.size();
  std::string opener(prefix);
  opener += open;
  if (text.substr(0, n).find(opener) == std::string_view::npos) return std::string(text);

  // Every open byte that follows the prefix starts a construct; a stack of open bytes finds
  // the close byte of each.
  constexpr size_t kNone = static_cast<size_t>(-1);
  struct TConstruct {
    size_t Start;  // where the prefix begins
    size_t Close;
  };
  std::vector<TConstruct> constructs;
  std::vector<size_t> openStack;  // index into constructs, or kNone for a plain open byte
  // Brackets are sparse in ordinary text: jump from one to the next.
  const char* base = text.data();
  const char* openAhead = static_cast<const char*>(std::memchr(base, open, n));
  const char* closeAhead = static_cast<const char*>(std::memchr(base, close, n));
  while (openAhead || closeAhead) {
    const char* at = !closeAhead || (openAhead && openAhead < closeAhead) ? openAhead : closeAhead;
    size_t i = static_cast<size_t>(at - base);
    if (at == openAhead)
      openAhead = static_cast<const char*>(std::memchr(at + 1, open, n - i - 1));
    else
      closeAhead = static_cast<const char*>(std::memchr(at + 1, close, n - i - 1));
    if (text[i] == open) {
      bool opener = i >= prefix.size() && text.compare(i - prefix.size(), prefix.size(), prefix) == 0;
      if (opener) constructs.push_back(TConstruct{i - prefix.size(), kNone});
      openStack.push_back(opener ? constructs.size() - 1 : kNone);
    } else if (text[i] == close && !openStack.empty()) {
      if (openStack.back() != kNone) constructs[openStack.back()].Close = i;
      openStack.pop_back();
    }
  }
  // Replaced are the constructs before the first one whose close byte is missing.
  size_t count = 0;
  while (count < constructs.size() && constructs[count].Close != kNone) ++count;
  if (count == 0) return std::string(text);
  std::vector<size_t> closes;
  closes.reserve(count);
  for (size_t k = 0; k < count; ++k) closes.push_back(constructs[k].Close);
  std::sort(closes.begin(), closes.end());

  std::string out;
  out.reserve(text.size() + count * (before.size() + after.size()));
  size_t pos = 0, nextOpen = 0, nextClose = 0;
  while (nextOpen < count || nextClose < count) {
    size_t openAt = nextOpen < count ? constructs[nextOpen].Start : kNone;
    size_t closeAt = nextClose < count ? closes[nextClose] : kNone;
    size_t at = std::min(openAt, closeAt);
    out.append(text, pos, at - pos);
    if (at == openAt) {
      out.append(before);
      pos = at + prefix.size() + 1;
      ++nextOpen;
    } else {
      out.append(after);
      pos = at + 1;
      ++nextClose;
    }
  }
  out.append(text, pos, std::string_view::npos);
  return out;
}

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        out += next == '\\' ? '\\' : next == 'n' ? '\n' : '\r';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

size_t UnescapedPrefix(std::string_view text) {
  for (size_t at = text.find('\\'); at != std::string_view::npos; at = text.find('\\', at + 1)) {
    if (at + 1 == text.size()) return at;
    const char next = text[at + 1];
    if (next == '\\' || next == 'n' || next == 'r') return at;
  }
  return text.size();
}

std::string LowerCaseAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string UpperCaseAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t first = 0;
  while (first < text.size() && blank(text[first])) ++first;
  size_t last = text.size();
  while (last > first && blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

namespace {

// The name part of an entry, or nothing when it holds no "=".
bool EntryName(const std::string& entry, std::string_view& name) {
  size_t eq = entry.find('=');
  if (eq == std::string::npos) return false;
  name = std::string_view(entry).substr(0, eq);
  return true;
}

}  // namespace

void TNameValueList::Add(std::string entry) {
  std::string_view name;
  if (Entries.size() >= kLinearSize && IndexValid && EntryName(entry, name))
    FirstIndex.emplace(LowerCaseAscii(name), static_cast<int>(Entries.size()));
  Entries.push_back(std::move(entry));
  if (Entries.size() == kLinearSize + 1) IndexValid = false;  // the index is made when first needed
}

void TNameValueList::Delete(int index) {
  Entries.erase(Entries.begin() + index);
  IndexValid = false;
}

void TNameValueList::Clear() {
  Entries.clear();
  FirstIndex.clear();
  IndexValid = true;
}

void TNameValueList::RebuildIndex() const {
  FirstIndex.clear();
  for (size_t i = 0; i < Entries.size(); ++i) {
    std::string_view name;
    if (EntryName(Entries[i], name)) FirstIndex.emplace(LowerCaseAscii(name), static_cast<int>(i));
  }
  IndexValid = true;
}

int TNameValueList::IndexOfName(std::string_view name) const {
  if (Entries.size() <= kLinearSize) {
    std::string_view entryName;
    for (size_t i = 0; i < Entries.size(); ++i)
      if (EntryName(Entries[i], entryName) && SameTextAscii(entryName, name)) return static_cast<int>(i);
    return -1;
  }
  if (!IndexValid) RebuildIndex();
  auto it = FirstIndex.find(LowerCaseAscii(name));
  return it == FirstIndex.end() ? -1 : it->second;
}

std::string TNameValueList::Name(int index) const {
  std::string_view name;
  return EntryName(Entries[index], name) ? std::string(name) : std::string();
}

std::string TNameValueList::Value(int index) const {
  const std::string& entry = Entries[index];
  size_t eq = entry.find('=');
  return eq == std::string::npos ? entry : entry.substr(eq + 1);
}

void TNameValueList::ReplaceValueTail(int index, std::string_view name, size_t keep, std::string_view tail) {
  std::string& entry = Entries[index];
  entry.replace(0, name.size(), name);
  entry.resize(name.size() + 1 + keep);
  entry += tail;
}

void TNameValueList::SetValue(std::string_view name, std::string_view value) {
  std::string entry(name);
  entry += '=';
  entry += value;
  int index = IndexOfName(name);
  if (index >= 0)
    Entries[index] = std::move(entry);
  else
    Add(std::move(entry));
}

bool TUniqueNameList::Add(std::string_view name) {
  std::string lowered = LowerCaseAscii(name);
  if (Lowered.count(lowered)) return false;  // most names come again: no node made for them
  Lowered.emplace(std::move(lowered), static_cast<int>(Items.size()));
  Items.emplace_back(name);
  return true;
}

bool TUniqueNameList::Contains(std::string_view name) const {
  return Lowered.count(LowerCaseAscii(name)) > 0;
}

void TUniqueNameList::Clear() {
  Items.clear();
  Lowered.clear();
}

bool LookupValue(const TNameValueList* list, std::string_view name, std::string& value) {
  if (!list) return false;
  int index = list->IndexOfName(name);
  if (index < 0) return false;
  value = list->Value(index);
  return true;
}

bool IsAbsolutePath(std::string_view path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         path.find(':') != std::string_view::npos;
}

std::string ToBackslashes(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string ToSlashes(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

QString FileSystemPath(std::string_view path) {
  return QString::fromUtf8(ToSlashes(path).c_str());
}

std::string IncludeTrailingSeparator(std::string_view path) {
  std::string out(path);
  if (out.empty() || (out.back() != '/' && out.back() != '\\')) out += '/';
  return out;
}

std::string ExtractFolderPart(std::string_view path) {
  size_t last = path.find_last_of("/\\");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

bool NormalizeRelativePath(std::string_view name, std::string& normalized) {
  if (name.empty() || IsAbsolutePath(name)) return false;
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view part = name.substr(start, end - start);
    if (part == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  if (parts.empty()) return false;
  normalized.clear();
  for (std::string_view part : parts) {
    if (!normalized.empty()) normalized += '/';
    normalized.append(part);
  }
  return true;
}

QString ResolvePathIgnoringCase(const QString& folder, const QString& relative) {
  QString exact = folder.endsWith('/') ? folder + relative : folder + '/' + relative;
  if (QFileInfo::exists(exact)) return exact;
  QString current = folder;
  const QStringList parts = relative.split('/', Qt::SkipEmptyParts);
  for (const QString& part : parts) {
    QDir dir(current);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QString found;
    for (const QString& entry : entries) {
      if (entry == part) {
        found = entry;
        break;
      }
      if (found.isEmpty() && entry.compare(part, Qt::CaseInsensitive) == 0) found = entry;
    }
    if (found.isEmpty()) return QString();
    current = dir.filePath(found);
  }
  return current;
}

QString RealPath(const QString& path) {
  char* real = ::realpath(QFile::encodeName(path).constData(), nullptr);
  if (!real) return QString();
  const QString result = QFile::decodeName(real);
  std::free(real);
  return result;
}

bool PathWithin(const QString& root, const QString& path) {
  return !root.isEmpty() && (path == root || path.startsWith(root + u'/'));
}

bool ReadFileText(std::string_view path, std::string& bytes) {
  QFile file(FileSystemPath(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  QByteArray data = file.readAll();
  bytes.assign(data.constData(), data.size());
  return true;
}

// The regular file open at fd, of the size given, holds exactly bytes (read from its start).
// Reading a page back is several times cheaper than truncating and rewriting it, and most pages
// of a site are the same from one build to the next.
bool HoldsBytes(int fd, const struct stat& info, std::string_view bytes) {
  bool same = S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) == bytes.size();
  char buffer[64 * 1024];
  for (size_t done = 0; same && done < bytes.size();) {
    const ssize_t got = ::pread(fd, buffer, std::min(sizeof buffer, bytes.size() - done), done);
    if (got < 0 && errno == EINTR) continue;
    same = got > 0 && std::memcmp(buffer, bytes.data() + done, static_cast<size_t>(got)) == 0;
    if (same) done += static_cast<size_t>(got);
  }
  return same;
}

// Writes bytes from the descriptor's start (pwrite: wherever reading left it).
bool WriteAll(int fd, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t put = ::pwrite(fd, bytes.data() + done, bytes.size() - done, done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

namespace {

bool FileHolds(const QByteArray& name, std::string_view bytes) {
  const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool same = ::fstat(fd, &info) == 0 && HoldsBytes(fd, info, bytes);
  ::close(fd);
  return same;
}

// A regular file that can be read and written (or a new one in an existing folder) is compared
// and, when it differs, rewritten through one descriptor: one open, not two, for each of the
// many files of a site, and a new file is just written. -1 for anything else, which the plain
// way below handles.
int WriteInPlace(const QByteArray& name, std::string_view bytes) {
  const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  bool done = HoldsBytes(fd, info, bytes);
  if (!done) done = (info.st_size == 0 || ::ftruncate(fd, 0) == 0) && WriteAll(fd, bytes);
  return ::close(fd) == 0 && done ? 1 : 0;
}

}  // namespace

bool WriteFileText(std::string_view path, std::string_view bytes) {
  const QString fsPath = FileSystemPath(path);
  const QByteArray name = QFile::encodeName(fsPath);
  const int inPlace = WriteInPlace(name, bytes);
  if (inPlace >= 0) return inPlace == 1;
  if (FileHolds(name, bytes)) return true;  // unchanged: nothing to write
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  int fd = ::open(name.constData(), flags, 0666);
  if (fd < 0 && errno == ENOENT) {  // the folder is made only when it is missing
    QDir().mkpath(QFileInfo(fsPath).absolutePath());
    fd = ::open(name.constData(), flags, 0666);
  }
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

namespace {

// The same existing file or folder under two names (a link, "." or ".." parts, a separator
// more or less).
bool SameEntry(const QString& a, const QString& b) {
  const QString canonical = QFileInfo(a).canonicalFilePath();
  return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// A plain file copy that replaces an existing destination only when asked to. A file copied onto
// itself (a theme that is its own output folder) is already in place: removing the destination
// first would lose it.
bool CopyOneFile(const QString& source, const QString& destination, bool overwrite) {
  if (QFileInfo::exists(destination)) {
    if (SameEntry(source, destination)) return true;
    if (!overwrite || !QFile::remove(destination)) return false;
  }
  return QFile::copy(source, destination);
}

bool CopyFolderPaths(const QString& source, const QString& destination, bool overwrite);

// Copies the entries names of the folder from into the folder to (ending with "/"); the result
// is that of the last.
bool CopyEntries(const QDir& from, const QStringList& names, const QString& to, bool overwrite) {
  bool result = false;
  for (const QString& name : names) {
    const QFileInfo entry(from, name);
    result = entry.isDir() ? CopyFolderPaths(entry.filePath(), to + name, overwrite)
                           : CopyOneFile(entry.filePath(), to + name, overwrite);
  }
  return result;
}

bool CopyFolderPaths(const QString& source, const QString& destination, bool overwrite) {
  if (!QFileInfo(source).isDir() || !QDir().mkpath(destination)) return false;
  if (SameEntry(source, destination)) return false;
  const QDir from(source);
  const QStringList names = from.entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  return CopyEntries(from, names, QDir(destination).absolutePath() + '/', overwrite);
}

// Names compare as Windows compares them, letter case aside; only "*" and "?" are wildcards (a
// name such as "photo[1].png" is no character set).
bool MatchesWildcard(const QString& name, const QString& wildcard) {
  const QString n = name.toCaseFolded(), w = wildcard.toCaseFolded();
  qsizetype i = 0, j = 0, starAt = -1, starMatched = 0;
  while (i < n.size()) {
    if (j < w.size() && w[j] == u'*') {
      starAt = j++;
      starMatched = i;
    } else if (j < w.size() && (w[j] == u'?' || w[j] == n[i])) {
      ++i;
      ++j;
    } else if (starAt >= 0) {  // let the last star take one character more
      j = starAt + 1;
      i = ++starMatched;
    } else {
      return false;
    }
  }
  while (j < w.size() && w[j] == u'*') ++j;
  return j == w.size();
}

// Letter case aside, then exactly, so that the order is the same on every machine.
bool NameOrder(const QString& a, const QString& b) {
  const int order = a.compare(b, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a < b;
}

}  // namespace

QStringList MatchingNames(const QString& folder, const QString& wildcard, bool filesOnly) {
  QStringList names;
  // Without QDir::Hidden and QDir::System: hidden entries, sockets and devices do not match.
  const QDir::Filters kinds = filesOnly ? QDir::Files : QDir::AllEntries;
  for (const QString& name : QDir(folder).entryList(kinds | QDir::NoDotAndDotDot, QDir::Unsorted))
    if (MatchesWildcard(name, wildcard)) names.append(name);
  std::sort(names.begin(), names.end(), NameOrder);
  return names;
}

bool CopyFolder(std::string_view source, std::string_view destination, bool overwrite) {
  return CopyFolderPaths(FileSystemPath(source), FileSystemPath(destination), overwrite);
}

bool CopyMatchingFiles(std::string_view pattern, std::string_view destination, bool overwrite) {
  QString fsPattern = FileSystemPath(pattern);
  int slash = fsPattern.lastIndexOf('/');
  QString folder = slash < 0 ? QStringLiteral(".") : fsPattern.left(slash + 1);
  const QStringList matches = MatchingNames(folder, fsPattern.mid(slash + 1), false);
  if (matches.isEmpty()) return false;
  QString to = FileSystemPath(destination);
  if (!QDir().mkpath(to)) return false;
  return CopyEntries(QDir(folder), matches, QDir(to).absolutePath() + '/', overwrite);
}
