#include "preview/CharsetScanner.h"

#include <cstring>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

}  // namespace

TCharsetScanner::TCharsetScanner(const QByteArray& page) : Head(page.left(PrescanSize)) {}

QByteArray TCharsetScanner::Declared() {
  while (!AtEnd()) {
    if (At("<!--")) {
      Position += 2;  // "<!-->" is a whole comment
      SkipPast("-->");
    } else if (At("<meta") && Position + 5 < Head.size() &&
               (IsSpace(Head.at(Position + 5)) || Head.at(Position + 5) == '/')) {
      Position += 5;
      const QByteArray charset = MetaCharset();
      if (!charset.isEmpty()) return charset;
    } else if (AtTag()) {
      while (!AtEnd() && !IsSpace(Current()) && Current() != '>') ++Position;
      SkipAttributes();
    } else if (At("<!") || At("</") || At("<?")) {
      SkipPast(">");
    } else {
      ++Position;
    }
  }
  return QByteArray();
}

bool TCharsetScanner::At(const char* text) const {
  const qsizetype length = qsizetype(std::strlen(text));
  if (Head.size() - Position < length) return false;
  for (qsizetype i = 0; i < length; ++i)
    if (Lower(Head.at(Position + i)) != text[i]) return false;
  return true;
}

// "<" or "</" before a letter opens a tag whose attributes may hold ">" in quotes.
bool TCharsetScanner::AtTag() const {
  if (Current() != '<') return false;
  const qsizetype letter = Position + (At("</") ? 2 : 1);
  return letter < Head.size() && IsLetter(Head.at(letter));
}

void TCharsetScanner::SkipPast(const char* text) {
  const qsizetype found = Head.indexOf(text, Position);
  Position = found < 0 ? Head.size() : found + qsizetype(std::strlen(text));
}

void TCharsetScanner::SkipSpaces() {
  while (!AtEnd() && IsSpace(Current())) ++Position;
}

void TCharsetScanner::SkipAttributes() {
  QByteArray name, value;
  while (ReadAttribute(name, value)) {
  }
}

bool TCharsetScanner::ReadAttribute(QByteArray& name, QByteArray& value) {
  while (!AtEnd() && (IsSpace(Current()) || Current() == '/')) ++Position;
  if (AtEnd()) return false;
  if (Current() == '>') {
    ++Position;
    return false;
  }
  name.clear();
  value.clear();
  // A leading "=" belongs to the name, so every call moves on by one character at least.
  while (!AtEnd() && !IsSpace(Current()) && Current() != '/' && Current() != '>' &&
         (Current() != '=' || name.isEmpty())) {
    name += Lower(Current());
    ++Position;
  }
  SkipSpaces();
  if (AtEnd() || Current() != '=') return true;  // an attribute without a value
  ++Position;
  SkipSpaces();
  value = ReadValue();
  return true;
}

QByteArray TCharsetScanner::ReadValue() {
  QByteArray value;
  if (AtEnd()) return value;
  const char quote = Current();
  if (quote == '"' || quote == '\'') {
    for (++Position; !AtEnd() && Current() != quote; ++Position) value += Lower(Current());
    if (!AtEnd()) ++Position;
    return value;
  }
  for (; !AtEnd() && !IsSpace(Current()) && Current() != '>'; ++Position) value += Lower(Current());
  return value;
}

// The first charset attribute counts; a content attribute counts only beside http-equiv
// "content-type".
QByteArray TCharsetScanner::MetaCharset() {
  QByteArray name, value, charset, content;
  bool pragma = false;
  while (ReadAttribute(name, value)) {
    if (name == "charset" && charset.isEmpty()) charset = value;
    if (name == "http-equiv" && value == "content-type") pragma = true;
    if (name == "content" && content.isEmpty()) content = value;
  }
  if (!charset.isEmpty()) return Plausible(charset);
  return pragma ? Plausible(CharsetOfContent(content)) : QByteArray();
}

// "text/html; charset=windows-1251" gives "windows-1251"; the value may be quoted.
QByteArray TCharsetScanner::CharsetOfContent(const QByteArray& content) {
  qsizetype at = 0;
  while ((at = content.indexOf("charset", at)) >= 0) {
    at += 7;
    while (at < content.size() && IsSpace(content.at(at))) ++at;
    if (at >= content.size() || content.at(at) != '=') continue;
    ++at;
    while (at < content.size() && IsSpace(content.at(at))) ++at;
    if (at >= content.size()) return QByteArray();
    const char quote = content.at(at);
    if (quote == '"' || quote == '\'') {
      const qsizetype end = content.indexOf(quote, at + 1);
      return end < 0 ? QByteArray() : content.mid(at + 1, end - at - 1);
    }
    qsizetype end = at;
    while (end < content.size() && !IsSpace(content.at(end)) && content.at(end) != ';') ++end;
    return content.mid(at, end - at);
  }
  return QByteArray();
}

// The name goes into a header line as it is, so only the characters of encoding names pass.
QByteArray TCharsetScanner::Plausible(const QByteArray& name) {
  const QByteArray trimmed = name.trimmed();
  if (trimmed.isEmpty() || trimmed.size() > MaxNameSize) return QByteArray();
  for (const char c : trimmed)
    if (!IsNameCharacter(c)) return QByteArray();
  if (trimmed.startsWith("utf-16")) return QByteArrayLiteral("utf-8");
  return trimmed;
}
