#include "generator/InlineMarkup.h"

#include "generator/MiscUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// Why the passes do not restart from the beginning of the text after every replacement:
// a replacement always begins with "<" and ends with ">", so no construct can start in the text
// before it or straddle its edges, and the constructs passed over before it are found again
// exactly as before. Searching again from the beginning therefore always arrives at the start
// of the replacement, and each pass simply goes on from there. What stays to be done is to
// avoid copying the rest of the text on every replacement; each pass below does that in its
// own way.
//
// Safety limits (no real page comes near them): a pass whose output would grow beyond 16 times
// its input plus 1 MB (nested links whose text is their own target double at every level), or
// that would re-read more than 16 times its input plus 4 MB, is given up and leaves its text as
// it was, so the constructs of that one kind stay unconverted.

namespace {

constexpr size_t kMegabyte = size_t(1) << 20;

size_t OutputLimit(size_t inputSize) { return 16 * inputSize + kMegabyte; }
size_t RereadLimit(size_t inputSize) { return 16 * inputSize + 4 * kMegabyte; }

// True when every "[" of piece has its "]" within piece: such a piece converts the same
// wherever a replacement moves it.
bool BracketsClosedWithin(std::string_view piece) {
  long depth = 0;
  long lowest = 0;
  for (char c : piece) {
    if (c == '[') {
      ++depth;
    } else if (c == ']') {
      --depth;
      lowest = std::min(lowest, depth);
    }
  }
  return depth == lowest;
}

// Anchors: the replacement holds only the name, so the rest of the text is kept in a buffer
// with free room before it; a replacement is written into that room just before the text that
// follows it, and scanning goes on at its start.
class TAnchorPass {
 public:
  // False when a safety limit was reached.
  bool Run(std::string_view input, std::string& out) {
    size_t budget = RereadLimit(input.size());
    std::string buffer;
    size_t pos = Refill(buffer, std::string_view(), input);
    out.clear();
    for (;;) {
      const char* base = buffer.data();
      TCursor cursor(base + pos, base + buffer.size());
      TEnclosed m;
      if (!FindEnclosed(cursor, "#[", "]", m)) break;
      TCursor content(m.InnerStart, m.CloserStart);
      std::string_view name;
      if (!ReadValue(content, ' ', '\0', name)) {
        out.append(base + pos, m.After - (base + pos));
        pos = m.After - base;
        continue;
      }
      std::string replacement = "<a name=\"";
      replacement.append(name);
      replacement += "\"></a>";
      out.append(base + pos, m.MatchStart - (base + pos));
      size_t after = m.After - base;
      if (replacement.size() > budget) return false;
      budget -= replacement.size();
      if (replacement.size() <= after) {
        pos = after - replacement.size();
        std::memcpy(&buffer[pos], replacement.data(), replacement.size());
      } else {
        std::string rest = buffer.substr(after);
        if (rest.size() > budget) return false;
        budget -= rest.size();
        pos = Refill(buffer, replacement, rest);
      }
    }
    out.append(buffer, pos, std::string::npos);
    return true;
  }

 private:
  // buffer := free room + head + tail; returns where head starts.
  static size_t Refill(std::string& buffer, std::string_view head, std::string_view tail) {
    size_t room = std::max<size_t>(64, head.size() + tail.size() / 4);
    std::string next(room, ' ');
    next.append(head);
    next.append(tail);
    buffer.swap(next);
    return room;
  }
};

// The replacements of links, images and spans, built as a series of literal pieces of HTML and
// pieces kept from the construct's content. A sink takes them: AddLiteral(text) and
// AddKept(piece, closedWithin), where closedWithin tells that the piece is known to hold no
// bracket without its partner.

struct TKeyValue {
  std::string Key;  // lower-cased
  std::string_view Value;
};

// key=value pairs while both can be read.
std::vector<TKeyValue> ReadKeyValues(TCursor& cursor) {
  std::vector<TKeyValue> pairs;
  std::string_view key, value;
  while (ReadWord(cursor, '=', WordChars, key) && ReadValue(cursor, ' ', '\0', value))
    pairs.push_back(TKeyValue{LowerCaseAscii(key), value});
  return pairs;
}

template <typename TSink>
void AddAttribute(TSink& sink, const std::string& key, std::string_view value) {
  sink.AddLiteral(" " + key + "=\"");
  sink.AddKept(value, false);
  sink.AddLiteral("\"");
}

// *[target key=value ... text]
template <typename TSink>
bool BuildLink(const char* content, const char* end, TSink& sink) {
  TCursor cursor(content, end);
  std::string_view target;
  if (!ReadValue(cursor, ' ', '\0', target)) return false;
  std::vector<TKeyValue> attributes;
  for (TKeyValue& pair : ReadKeyValues(cursor)) {
    if (pair.Key == "href")
      target = pair.Value;
    else
      attributes.push_back(std::move(pair));
  }
  std::string_view text(cursor.Pos, end - cursor.Pos);
  bool textClosed = true;
  if (text.empty()) {
    text = target;
    textClosed = false;
  }
  sink.AddLiteral("<a href=\"");
  sink.AddKept(target, false);
  sink.AddLiteral("\"");
  for (const TKeyValue& pair : attributes) AddAttribute(sink, pair.Key, pair.Value);
  sink.AddLiteral(">");
  sink.AddKept(text, textClosed);
  sink.AddLiteral("</a>");
  return true;
}

struct TImageParts {
  std::string_view Source, Link, Frame, Border;
  bool BorderGiven = false;
  std::vector<TKeyValue> Attributes;
};

// ![source key=value ...]: href, target and border have places of their own.
bool ReadImage(const char* content, const char* end, TImageParts& image) {
  TCursor cursor(content, end);
  if (!ReadValue(cursor, ' ', '\0', image.Source)) return false;
  for (TKeyValue& pair : ReadKeyValues(cursor)) {
    if (pair.Key == "href") {
      image.Link = pair.Value;
    } else if (pair.Key == "target") {
      image.Frame = pair.Value;
    } else if (pair.Key == "border") {
      image.Border = pair.Value;
      image.BorderGiven = true;
    } else {
      image.Attributes.push_back(std::move(pair));
    }
  }
  return true;
}

template <typename TSink>
void AddImageLinkStart(const TImageParts& image, TSink& sink) {
  sink.AddLiteral("<a href=\"");
  sink.AddKept(image.Link, false);
  if (!image.Frame.empty()) {
    sink.AddLiteral("\" target=\"");
    sink.AddKept(image.Frame, false);
  }
  sink.AddLiteral("\">");
}

template <typename TSink>
bool BuildImage(const char* content, const char* end, TSink& sink) {
  TImageParts image;
  if (!ReadImage(content, end, image)) return false;
  if (!image.Link.empty()) AddImageLinkStart(image, sink);
  sink.AddLiteral("<img src=\"");
  sink.AddKept(image.Source, false);
  sink.AddLiteral("\"");
  for (const TKeyValue& pair : image.Attributes) AddAttribute(sink, pair.Key, pair.Value);
  sink.AddLiteral(" border=\"");
  if (image.BorderGiven)
    sink.AddKept(image.Border, false);
  else
    sink.AddLiteral("0");
  sink.AddLiteral("\"/>");
  if (!image.Link.empty()) sink.AddLiteral("</a>");
  return true;
}

// .[attribute list text]; every complete construct qualifies.
template <typename TSink>
bool BuildSpan(const char* content, const char* end, TSink& sink) {
  TAttributeSpec attributeList = TInlineMarkup::ScanAttributes(std::string_view(content, end - content));
  sink.AddLiteral("<span");
  if (attributeList.Kind == TAttributeSpec::akStyle) {
    sink.AddLiteral(" style=\"");
    bool first = true;
    for (const TStyleDeclaration& declaration : attributeList.Declarations) {
      std::string name = first ? std::string() : std::string(";");
      name.append(declaration.Property);
      name += ':';
      sink.AddLiteral(name);
      sink.AddKept(declaration.Value, false);
      first = false;
    }
    sink.AddLiteral("\">");
  } else {
    sink.AddLiteral(TInlineMarkup::RenderAttributes(attributeList) + ">");
  }
  sink.AddKept(attributeList.Remainder, true);
  sink.AddLiteral("</span>");
  return true;
}

enum TBracketKind { bkLink, bkImage, bkSpan };

template <typename TSink>
bool BuildConstruct(TBracketKind kind, const char* content, const char* end, TSink& sink) {
  switch (kind) {
    case bkLink: return BuildLink(content, end, sink);
    case bkImage: return BuildImage(content, end, sink);
    case bkSpan: break;
  }
  return BuildSpan(content, end, sink);
}

// Links, images and spans. A text is parsed once into the position of the "]" that closes each
// "["; the work left is a stack of items, each a range of a text still to be scanned or a
// literal piece of generated HTML. A construct found in a range is replaced by items: literals
// for the tags and ranges for the target, values and text it keeps, which are then scanned in
// their turn. A range can be scanned on its own only when its brackets close within it. When a
// construct's kept pieces break that rule (a target such as "a[b"), its replacement is written
// out as a text of its own if its brackets close within it as a whole; otherwise the
// replacement and everything still to be scanned are written out and parsed again.
class TBracketPass {
 public:
  TBracketPass(char prefix, TBracketKind kind) : Prefix(prefix), Kind(kind) {}

  // False when a safety limit was reached.
  bool Run(std::string_view input, std::string& out) {
    OutputBudget = OutputLimit(input.size());
    RereadBudget = RereadLimit(input.size());
    if (input.size() >= kNone) return false;
    Start(std::string(input));
    out.clear();
    while (!Stack.empty()) {
      TItem item = Stack.back();
      Stack.pop_back();
      if (item.Source == kLiteral) {
        out.append(Literals, item.From, item.To - item.From);
      } else if (!ScanRange(item, out)) {
        return true;  // a construct without its "]" ended the pass
      }
      if (out.size() > OutputBudget || Failed) return false;
    }
    return true;
  }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr uint32_t kLiteral = UINT32_MAX;

  struct TItem {
    uint32_t Source;  // index into Texts, or kLiteral for a piece of Literals
    uint32_t From;
    uint32_t To;
  };

  struct TText {
    std::string Bytes;
    std::vector<uint32_t> CloseOf;  // for each "[", the index of its "]" or kNone
  };

  const char Prefix;
  const TBracketKind Kind;
  size_t OutputBudget = 0;
  size_t RereadBudget = 0;
  bool Failed = false;
  std::vector<TText> Texts;
  std::string Literals;
  std::vector<TItem> Stack;
  std::vector<TItem> Pieces;  // the replacement being built, in order
  uint32_t PieceSource = 0;   // the text the construct being replaced belongs to
  bool PiecesClosed = true;

  uint32_t AddText(std::string bytes) {
    TText text;
    text.Bytes = std::move(bytes);
    text.CloseOf.assign(text.Bytes.size(), kNone);
    std::vector<uint32_t> open;
    for (uint32_t i = 0; i < text.Bytes.size(); ++i) {
      if (text.Bytes[i] == '[') {
        open.push_back(i);
      } else if (text.Bytes[i] == ']' && !open.empty()) {
        text.CloseOf[open.back()] = i;
        open.pop_back();
      }
    }
    Texts.push_back(std::move(text));
    return static_cast<uint32_t>(Texts.size() - 1);
  }

  // Scanning starts over on a text: the whole of it is the one item left.
  void Start(std::string bytes) {
    Texts.clear();
    uint32_t source = AddText(std::move(bytes));
    Stack.assign(1, TItem{source, 0, static_cast<uint32_t>(Texts[source].Bytes.size())});
  }

  // The index of the next prefix byte followed by "[" within [from, to), or kNone.
  uint32_t FindOpener(const std::string& bytes, uint32_t from, uint32_t to) const {
    const char* base = bytes.data();
    uint32_t i = from + 1;
    while (i < to) {
      const void* hit = std::memchr(base + i, '[', to - i);
      if (!hit) return kNone;
      uint32_t at = static_cast<uint32_t>(static_cast<const char*>(hit) - base);
      if (base[at - 1] == Prefix) return at - 1;
      i = at + 1;
    }
    return kNone;
  }

  // Converts the first construct of a range and pushes what follows it; false when the pass
  // has ended.
  bool ScanRange(const TItem& item, std::string& out) {
    const TText& text = Texts[item.Source];
    uint32_t at = FindOpener(text.Bytes, item.From, item.To);
    if (at == kNone) {
      out.append(text.Bytes, item.From, item.To - item.From);
      return true;
    }
    out.append(text.Bytes, item.From, at - item.From);
    uint32_t close = text.CloseOf[at + 1];
    if (close == kNone || close >= item.To) {
      out.append(text.Bytes, at, item.To - at);
      AppendRemaining(out);
      return false;
    }
    Stack.push_back(TItem{item.Source, close + 1, item.To});
    Pieces.clear();
    PieceSource = item.Source;
    PiecesClosed = true;
    const char* content = text.Bytes.data() + at + 2;
    const char* contentEnd = text.Bytes.data() + close;
    bool qualifies = BuildConstruct(Kind, content, contentEnd, *this);
    if (!qualifies)
      out.append(text.Bytes, at, close + 1 - at);
    else if (PiecesClosed)
      for (auto it = Pieces.rbegin(); it != Pieces.rend(); ++it) Stack.push_back(*it);
    else
      WriteOutReplacement();
    return true;
  }

  void AppendItem(const TItem& item, std::string& out) const {
    const std::string& source = item.Source == kLiteral ? Literals : Texts[item.Source].Bytes;
    out.append(source, item.From, item.To - item.From);
  }

  void AppendRemaining(std::string& out) {
    while (!Stack.empty()) {
      AppendItem(Stack.back(), out);
      Stack.pop_back();
    }
  }

  bool Charge(size_t bytes) {
    if (bytes > RereadBudget || bytes >= kNone) {
      Failed = true;
      return false;
    }
    RereadBudget -= bytes;
    return true;
  }

  void WriteOutReplacement() {
    std::string replacement;
    for (const TItem& piece : Pieces) AppendItem(piece, replacement);
    if (BracketsClosedWithin(replacement)) {
      if (!Charge(replacement.size())) return;
      uint32_t source = AddText(std::move(replacement));
      Stack.push_back(TItem{source, 0, static_cast<uint32_t>(Texts[source].Bytes.size())});
      return;
    }
    AppendRemaining(replacement);
    if (Charge(replacement.size())) Start(std::move(replacement));
  }

 public:
  void AddLiteral(std::string_view literal) {
    uint32_t from = static_cast<uint32_t>(Literals.size());
    Literals.append(literal);
    Pieces.push_back(TItem{kLiteral, from, static_cast<uint32_t>(Literals.size())});
  }

  // A piece of the construct's content kept in the replacement. closedWithin is known for the
  // text that ends the content; every other piece is checked, and its length counted against
  // the re-reading limit, since it was read to find it.
  void AddKept(std::string_view piece, bool closedWithin) {
    if (!closedWithin) {
      Charge(piece.size());
      if (!BracketsClosedWithin(piece)) PiecesClosed = false;
    }
    uint32_t from = static_cast<uint32_t>(piece.data() - Texts[PieceSource].Bytes.data());
    Pieces.push_back(TItem{PieceSource, from, from + static_cast<uint32_t>(piece.size())});
  }
};

// Most texts hold only flat constructs: each "[" has its "]" before the next "[". There no
// replacement can make or break another construct (it holds no bracket, and begins with "<"
// and ends with ">"), so all the passes together replace each construct where it stands, as
// the bytes just before its "[" decide: a run of "_" (up to three of them) for emphasis, else
// "#", "*", "!" or ".". One walk over the text does that. Flat constructs grow at most about
// sevenfold and are read once, far inside the passes' safety limits.
class TFlatPass {
 public:
  explicit TFlatPass(std::string& out) : Out(out) {}

  // False, with out as it was, when the text is not flat; first is where its first "[" stands.
  bool Run(std::string_view text, size_t first) {
    const size_t outSize = Out.size();
    // Pieces are copied into room made ahead (a text rarely doubles), not appended one by one.
    Reserve(outSize, 2 * text.size() + 64);
    size_t copied = 0;
    for (size_t open = first; open != std::string_view::npos;) {
      const size_t close = text.find(']', open + 1);
      const size_t next = text.find('[', open + 1);
      if (close == std::string_view::npos || next < close) {
        Out.resize(outSize);
        return false;
      }
      copied = Replace(text, copied, open, close);
      open = next;
    }
    Put(text.substr(copied));
    Out.resize(static_cast<size_t>(Write - Out.data()));
    return true;
  }

  void AddLiteral(std::string_view literal) { Put(literal); }
  void AddKept(std::string_view piece, bool) { Put(piece); }

 private:
  std::string& Out;
  char* Write = nullptr;
  char* Limit = nullptr;

  // Room for at least room more bytes after the first used ones.
  void Reserve(size_t used, size_t room) {
    Out.resize(used + room);
    Write = Out.data() + used;
    Limit = Out.data() + Out.size();
  }

  void Put(std::string_view piece) {
    if (piece.size() > static_cast<size_t>(Limit - Write))
      Reserve(static_cast<size_t>(Write - Out.data()), 2 * Out.size() + piece.size());
    std::memcpy(Write, piece.data(), piece.size());
    Write += piece.size();
  }

  // Writes the text from copied up to the construct and its replacement; returns how far the
  // text is written then (a construct that does not qualify stays for the next copy).
  size_t Replace(std::string_view text, size_t copied, size_t open, size_t close) {
    size_t underscores = 0;
    while (open - underscores > copied && text[open - underscores - 1] == '_') ++underscores;
    const char* content = text.data() + open + 1;
    const char* end = text.data() + close;
    if (underscores > 0) {
      Put(text.substr(copied, open - std::min<size_t>(underscores, 3) - copied));
      PutEmphasis(std::min<size_t>(underscores, 3), std::string_view(content, end - content));
      return close + 1;
    }
    const char prefix = open > copied ? text[open - 1] : '\0';
    if (prefix != '#' && prefix != '*' && prefix != '!' && prefix != '.') return copied;
    const size_t mark = static_cast<size_t>(Write - Out.data());
    Put(text.substr(copied, open - 1 - copied));
    bool qualifies = prefix == '#'   ? PutAnchor(content, end)
                     : prefix == '*' ? BuildLink(content, end, *this)
                     : prefix == '!' ? BuildImage(content, end, *this)
                                     : BuildSpan(content, end, *this);
    if (qualifies) return close + 1;
    Write = Out.data() + mark;  // the construct stays as it is
    return copied;
  }

  void PutEmphasis(size_t level, std::string_view content) {
    static constexpr std::string_view kOpen[] = {"<strong>", "<em>", "<strong><em>"};
    static constexpr std::string_view kClose[] = {"</strong>", "</em>", "</em></strong>"};
    Put(kOpen[level - 1]);
    Put(content);
    Put(kClose[level - 1]);
  }

  bool PutAnchor(const char* content, const char* end) {
    TCursor cursor(content, end);
    std::string_view name;
    if (!ReadValue(cursor, ' ', '\0', name)) return false;
    Put("<a name=\"");
    Put(name);
    Put("\"></a>");
    return true;
  }
};

std::string ReplaceEmphasis(std::string_view text) {
  std::string s = ReplaceBracketed(text, "___", '[', ']', "<strong><em>", "</em></strong>");
  s = ReplaceBracketed(s, "__", '[', ']', "<em>", "</em>");
  return ReplaceBracketed(s, "_", '[', ']', "<strong>", "</strong>");
}

// Runs one pass unless its opener is absent; a pass that reaches a limit leaves text as it is.
template <typename TPass>
void RunPass(TPass pass, std::string_view opener, std::string& text, bool& limited) {
  if (text.find(opener) == std::string::npos) return;
  std::string out;
  if (pass.Run(text, out))
    text.swap(out);
  else
    limited = true;
}

// Each kind of construct in its pass, as the rules describe them.
std::string ConvertByPasses(std::string_view text, bool& limited) {
  std::string s = ReplaceEmphasis(text);
  RunPass(TAnchorPass(), "#[", s, limited);
  RunPass(TBracketPass('*', bkLink), "*[", s, limited);
  RunPass(TBracketPass('!', bkImage), "![", s, limited);
  RunPass(TBracketPass('.', bkSpan), ".[", s, limited);
  return s;
}

}  // namespace

std::string TInlineMarkup::Convert(std::string_view text, bool* limited) {
  std::string out;
  Append(text, out, limited);
  return out;
}

void TInlineMarkup::Append(std::string_view text, std::string& out, bool* limited) {
  if (limited) *limited = false;
  // Scanning ends at a NUL byte; whatever follows one is carried along unchanged.
  size_t visibleSize = std::min(text.find('\0'), text.size());
  std::string_view visible = text.substr(0, visibleSize);
  const size_t first = visible.find('[');
  if (first == std::string_view::npos) {
    out.append(text);
    return;
  }
  if (!TFlatPass(out).Run(visible, first)) {
    bool reachedLimit = false;
    out += ConvertByPasses(visible, reachedLimit);
    if (limited) *limited = reachedLimit;
  }
  out.append(text.substr(visibleSize));
}

TAttributeSpec TInlineMarkup::ScanAttributes(std::string_view text) {
  static constexpr TCharSet kTokenEnd(std::string_view("\0 ", 2), "", false);
  TAttributeSpec attributeList;
  TCursor cursor(text);
  std::string_view token;
  if (ReadWordUntilAny(cursor, kTokenEnd, AttributeTokenChars, token)) {
    if (token[0] == '#') {
      attributeList.Kind = TAttributeSpec::akId;
      attributeList.Token = token.substr(1);
    } else {
      attributeList.Kind = TAttributeSpec::akClass;
      attributeList.Token = token;
    }
    while (cursor.Pos < cursor.End && *cursor.Pos == ' ') ++cursor.Pos;
  } else {
    attributeList.Kind = TAttributeSpec::akStyle;
    for (;;) {
      TCursor declarationStart = cursor;
      std::string_view property, value;
      if (!ReadWord(cursor, ':', StylePropertyChars, property) ||
          !ReadValue(cursor, ';', ' ', value)) {
        cursor = declarationStart;  // the remainder starts after the last whole declaration
        break;
      }
      attributeList.Declarations.push_back(TStyleDeclaration{property, value});
    }
  }
  attributeList.Remainder = std::string_view(cursor.Pos, text.data() + text.size() - cursor.Pos);
  return attributeList;
}

std::string TInlineMarkup::RenderAttributes(const TAttributeSpec& attributeList) {
  std::string out;
  switch (attributeList.Kind) {
    case TAttributeSpec::akClass:
      out = " class=\"";
      out.append(attributeList.Token);
      break;
    case TAttributeSpec::akId:
      out = " id=\"";
      out.append(attributeList.Token);
      break;
    case TAttributeSpec::akStyle:
      out = " style=\"";
      for (size_t i = 0; i < attributeList.Declarations.size(); ++i) {
        if (i > 0) out += ';';
        out.append(attributeList.Declarations[i].Property);
        out += ':';
        out.append(attributeList.Declarations[i].Value);
      }
      break;
  }
  out += '"';
  return out;
}
