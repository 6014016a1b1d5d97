#include "generator/Generator.h"

#include "generator/OutputError.h"
#include "generator/PageJob.h"
#include "generator/ThemeArchiveError.h"
#include "generator/ResourceScan.h"
#include "project/CodePage.h"

#include <QDateTime>
#include <QDir>
#include <QTimeZone>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace {

// Expansion must end even where the project's values never would: a placeholder met again
// inside its own value with the same arguments (a variable that names itself, a page body
// holding {&content}) stays as it is; so do values nested deeper than kMaxExpandDepth (macros
// that call themselves with ever new arguments) and whatever remains once one top-level
// expansion has examined kMaxExpandWork bytes (macros that double at every level). Real
// projects nest a few levels deep.
constexpr int kMaxExpandDepth = 64;
constexpr size_t kMaxExpandWork = size_t(32) << 20;
// The work of every expansion of a build together: the bytes of values expanded inside other
// expansions and the bytes placeholders insert. Beyond it the build fails (60 values that each
// double the one before would otherwise take minutes and write hundreds of MB from a project of
// 1 KB). It grows with the project: a site of 10,000 pages does about 3 bytes of such work for
// each byte of its text.
constexpr size_t kMaxBuildWork = size_t(64) << 20;
constexpr size_t kBuildWorkPerTextByte = 64;

// "Tue, 8 Jan 2008 14:05:09 +0300": English names whatever the system's language.
std::string FormatCurrentTime() {
  static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  QDateTime now = QDateTime::currentDateTime();
  QDate date = now.date();
  QTime time = now.time();
  int offset = now.offsetFromUtc() / 60;
  char sign = offset < 0 ? '-' : '+';
  offset = offset < 0 ? -offset : offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d",
                kDays[date.dayOfWeek() - 1], date.day(), kMonths[date.month() - 1], date.year(),
                time.hour(), time.minute(), time.second(), sign, offset / 60, offset % 60);
  return text;
}

// A macro call's parts: "name" or "name(a, key=b, 'c, d')".
struct TPlaceholder {
  std::string Name;
  bool HasArguments = false;
  TNameValueList Arguments;  // positional arguments are named "1", "2", ...
};

bool ParsePlaceholder(std::string_view content, TPlaceholder& placeholder) {
  TCursor cursor(content);
  std::string_view name;
  if (ReadWord(cursor, '\0', PlaceholderNameChars, name)) {
    placeholder.Name = std::string(name);
    return true;
  }
  if (!ReadWord(cursor, '(', PlaceholderNameChars, name)) return false;
  placeholder.Name = std::string(name);
  placeholder.HasArguments = true;
  int positional = 0;
  for (;;) {
    std::string_view key, value;
    if (ReadWord(cursor, '=', WordChars, key)) {
      if (!ReadValue(cursor, ',', ')', value)) break;
      if (!value.empty()) placeholder.Arguments.Add(std::string(key) + "=" + std::string(value));
      continue;
    }
    if (!ReadValue(cursor, ',', ')', value)) break;
    ++positional;
    if (!value.empty())
      placeholder.Arguments.Add(std::to_string(positional) + "=" + std::string(value));
  }
  return cursor.AtEnd() || *cursor.Pos == ')';
}

// What makes one placeholder expansion the same as another: the name, the argument list its
// value is looked up in, and its own arguments.
std::string PlaceholderKey(const TPlaceholder& placeholder, const TNameValueList* arguments) {
  std::string key = LowerCaseAscii(placeholder.Name);
  key += '\0';
  key += std::to_string(reinterpret_cast<uintptr_t>(arguments));
  for (const std::string& argument : placeholder.Arguments.EntryList()) {
    key += '\0';
    key += argument;
  }
  return key;
}

bool HasDot(std::string_view name) { return name.find('.') != std::string_view::npos; }

size_t CountOf(std::string_view text, std::string_view piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// The extension from the last dot, lower-cased ("" without a dot).
std::string Extension(std::string_view name) {
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : LowerCaseAscii(name.substr(dot));
}

// Pages are poured into a template; other files are written without one.
bool IsHtmlPage(std::string_view extension) {
  return extension == ".htm" || extension == ".html" || extension == ".shtml" ||
         extension == ".php";
}

// Each line of text converted, joined by LF as an expansion joins them (a final line break is
// dropped, CR LF becomes LF).
template <typename TConvert>
std::string MapLines(std::string_view text, TConvert convert) {
  if (text.find('\n') == std::string_view::npos) return convert(text);
  std::string out;
  TCursor cursor(text);
  std::string_view line;
  bool first = true;
  while (ReadLine(cursor, line)) {
    if (!first) out += '\n';
    out += convert(line);
    first = false;
  }
  return out;
}

}  // namespace

THTMLGenerator::THTMLGenerator() = default;

THTMLGenerator::~THTMLGenerator() { ClearState(); }

std::string THTMLGenerator::FormatNow() const { return FormatCurrentTime(); }

void THTMLGenerator::SetProjectFolder(std::string_view path) {
  ProjectFolderPath = IncludeTrailingSeparator(path);
}

void THTMLGenerator::SetThemesFolder(std::string_view path) {
  ThemesFolder = IncludeTrailingSeparator(path);
}

std::string THTMLGenerator::GetOutputFolder() const {
  if (IsAbsolutePath(OutputPath)) return OutputPath;
  return ProjectFolderPath + OutputPath;
}

void THTMLGenerator::ClearState() {
  CurrentPage = -1;
  PageName.clear();
  PageBody.clear();
  PageContent.clear();
  PageVariables = nullptr;
  GlobalVariables.Clear();
  Pages.Clear();
  Written.Clear();
  ThemeResources.Clear();
  ResourceLines.clear();
  UnescapedLengths.clear();
  WarningList.clear();
  FileLines.clear();
  OutputFolderKeys.clear();
  ThemeSeesOutput = false;
  TemplateLines.clear();
  MissingTemplates.clear();
}

int THTMLGenerator::Generate(const QString& projectText) {
  QByteArray utf8 = projectText.toUtf8();
  return GenerateUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// With page writers, a generation that raises (a damaged theme archive) or meets a page its
// writers cannot take (content beyond the expansion's limit) is run again on this thread alone:
// the writers commit pages in order and never after a failed one, so what they wrote is what
// that run writes again, and it leaves the files, the lists and the error exactly as they are
// without writers.
int THTMLGenerator::GenerateUtf8(std::string_view projectText) {
  Output.Start();
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const int threads = ThreadCount > 0 ? ThreadCount : static_cast<int>(processors);
  if (threads > 1) {
    try {
      Pipeline.Start(threads);
      const int result = GenerateOnce(projectText);
      Pipeline.Stop();
      return result;
    } catch (...) {
      Pipeline.Stop();
    }
  }
  return GenerateOnce(projectText);
}

// A file that cannot be written, and a damaged theme archive, end the generation as the
// project's own errors do. With page writers they are raised to GenerateUtf8, which runs the
// generation again on this thread alone to end it at the same place.
int THTMLGenerator::GenerateOnce(std::string_view projectText) {
  ClearState();
  ErrorCode = geSuccess;
  ErrorLineNumber = 0;
  ErrorSubjectText.clear();
  ErrorDetailText.clear();
  LineNumber = PlaceLine = 0;
  // A run of page writers that stopped inside an expansion leaves no trace in the next run.
  BuildWork = ExpandWork = 0;
  BuildWorkLimit = kMaxBuildWork + kBuildWorkPerTextByte * projectText.size();
  ExpandDepth = 0;
  ActivePlaceholders.clear();
  OutputPath = kDefaultOutputPath;
  Substitute = true;
  Output.Restart();
  if (!ProjectFileName.empty()) Output.Protect(ProjectFolderPath + ProjectFileName);
  try {
    ReadProject(projectText);
  } catch (const EOutputError& error) {
    if (Pipeline.Threaded()) throw;
    FailOnOutput(error);
  } catch (const EThemeArchiveError& error) {
    if (Pipeline.Threaded()) throw;
    Fail(geDamagedArchive, PlaceLine ? PlaceLine : LineNumber, error.Archive, error.Entry);
    WriteAfterError();
  }
  Output.Finish(ErrorCode == geSuccess);
  return ErrorCode;
}

void THTMLGenerator::ReadProject(std::string_view projectText) {
  QDir().mkpath(FileSystemPath(GetOutputFolder()));
  UseOutputFolder();
  Output.Use(GetOutputFolder());  // a project without pages leaves none of the last build's
  Converter.QuoteStyle.clear();
  LoadTheme("template");  // the project's own theme: a project without one is normal, no warning
  SetVariable("charset", "utf-8");
  BeginGenerate();
  ReadText(projectText);
  SettlePages();
  if (ErrorCode != geSuccess) return WriteAfterError();
  FlushPage();
  SettlePages();
  EndGenerate();
  FlushOutput();
  CopyThemeResources();
}

// Only the first error counts; its line is that of the project text (from 1).
void THTMLGenerator::Fail(int code, int line, std::string subject, std::string detail) {
  if (ErrorCode != geSuccess) return;
  ErrorCode = code;
  ErrorLineNumber = std::max(line, 1);
  ErrorSubjectText = std::move(subject);
  ErrorDetailText = std::move(detail);
}

void THTMLGenerator::FailOnOutput(const EOutputError& error) {
  Output.Discard();
  Fail(error.Kind == EOutputError::oeRefused ? geRefusedReplace : geCannotWrite, error.Line,
       error.Page);
}

// The pages before an error are written all the same, as far as they can be.
void THTMLGenerator::WriteAfterError() {
  try {
    FlushOutput();
  } catch (const EOutputError&) {
    Output.Discard();
  }
}

// Every page handed to the output so far reaches the disk (theme resources come after them).
void THTMLGenerator::FlushOutput() {
  SettlePages();
  Output.Flush();
}

void THTMLGenerator::ReadText(std::string_view text) {
  TCursor cursor(text);
  std::string_view line;
  LineNumber = 0;
  while (ErrorCode == geSuccess && ReadLine(cursor, line)) {
    ++LineNumber;
    // Preformatted text is never substituted; a line without braces expands to itself.
    if (line.empty() || line[0] == '>' || line.find('{') == std::string_view::npos) {
      ClassifyLine(line);
      continue;
    }
    // A value holding line breaks gives several lines, each classified in turn.
    std::string expanded = Expand(line, nullptr);
    TCursor lines(expanded);
    std::string_view expandedLine;
    while (ErrorCode == geSuccess && ReadLine(lines, expandedLine)) ClassifyLine(expandedLine);
  }
}

void THTMLGenerator::ClassifyLine(std::string_view line) {
  char first = line.empty() ? '\0' : line[0];
  switch (first) {
    case ';':
      break;
    case '[':
      StartSection(line);
      break;
    case '\\':  // lets a body line begin with "[", "$" or "\"
      PageBody.append(line.substr(1));
      PageBody += '\n';
      break;
    case '$':
      RunDirective(line);
      break;
    default:
      PageBody.append(line);
      PageBody += '\n';
  }
}

void THTMLGenerator::StartSection(std::string_view line) {
  TCursor cursor(line.substr(1));
  std::string_view name;
  if (!ReadUntil(cursor, ']', name)) {
    Fail(geSectionWithoutBracket, LineNumber);
    return;
  }
  std::string expanded = Expand(name, nullptr);
  FlushPage();
  StartPage(expanded);
}

void THTMLGenerator::FlushPage() {
  if (CurrentPage >= 0) {
    PlaceLine = PageLine;
    WritePage(ToBackslashes(PageName), PageBody);
    PlaceLine = 0;
  }
  PageName.clear();
  PageBody.clear();
  PageContent.clear();
  PageVariables = nullptr;
}

void THTMLGenerator::StartPage(const std::string& name) {
  CurrentPage = Pages.FindOrAdd(name);
  PageVariables = &Pages.Entry(CurrentPage).Variables;
  PageName = name;
  PageLine = LineNumber;
  PageBody.clear();
  PageContent.clear();
  Substitute = true;
}

void THTMLGenerator::RunDirective(std::string_view line) {
  std::string_view rest = line.substr(1);
  bool append = !rest.empty() && rest[0] == '$';
  if (append) rest.remove_prefix(1);
  TCursor cursor(rest);
  std::string_view name;
  if (!ReadWord(cursor, ' ', DirectiveNameChars, name)) {
    SetVariable(rest, "");
    return;
  }
  std::string_view value(cursor.Pos, rest.data() + rest.size() - cursor.Pos);
  if (!append)
    SetVariable(name, value);
  else if (!AppendInPlace(name, value))
    SetVariable(name, GetVariableOr(name, "") + std::string(value));
}

// "$$name text" on a plain variable of the table it is stored in: the old value and the text
// are unescaped again as one, but only from the old value's first escape sequence on (the part
// before it is known to stay as it is), so that many appends to one value take linear time.
bool THTMLGenerator::AppendInPlace(std::string_view name, std::string_view text) {
  if (HasDot(name) || IsDirective(LowerCaseAscii(name)) || SameTextAscii(name, "Template")) return false;
  TNameValueList& table = PageVariables ? *PageVariables : GlobalVariables;
  const int index = table.IndexOfName(name);
  if (index < 0) return false;
  const std::string_view old = std::string_view(table.Entry(index)).substr(name.size() + 1);
  auto [known, added] = UnescapedLengths.emplace(ValueKey(table, name), 0);
  if (added) known->second = UnescapedPrefix(old);
  std::string tail(old.substr(known->second));
  tail = UnescapeText(tail.append(text));
  table.ReplaceValueTail(index, name, known->second, tail);
  known->second += UnescapedPrefix(tail);
  return true;
}

std::string THTMLGenerator::ValueKey(const TNameValueList& table, std::string_view name) {
  return std::to_string(reinterpret_cast<uintptr_t>(&table)) + '\0' + LowerCaseAscii(name);
}

bool THTMLGenerator::IsDirective(const std::string& lowerName) {
  return lowerName == "theme" || lowerName == "uses" || lowerName == "subst" || lowerName == "quotestyle" ||
         lowerName == "outpath";
}

// Every other assignment of a value forgets what its appends knew of it.
void THTMLGenerator::StoreValue(TNameValueList& table, std::string_view name, const std::string& value) {
  UnescapedLengths.erase(ValueKey(table, name));
  table.SetValue(name, value);
}

void THTMLGenerator::SetVariable(std::string_view name, std::string_view value) {
  std::string directive = LowerCaseAscii(name);
  std::string_view trimmed = TrimBlanks(value);
  if (directive == "theme") {
    // The pages written so far take their resources from the theme being left.
    FlushOutput();
    CopyThemeResources();
    if (!LoadTheme(trimmed) && ErrorCode == geSuccess)
      WarningList.push_back({TGeneratorWarning::gwThemeNotFound, std::string(trimmed), LineNumber});
  } else if (directive == "uses") {
    // After the resources of the pages before it.
    Pipeline.Submit({{}, {}, [this, name = std::string(trimmed), line = LineNumber] { NoteResource(name, line); }});
  } else if (directive == "subst") {
    std::string setting = LowerCaseAscii(trimmed);
    Substitute = !(setting == "-" || setting == "0" || setting == "off");
  } else if (directive == "quotestyle") {
    Converter.QuoteStyle = LowerCaseAscii(trimmed);
  } else if (directive == "outpath") {
    // A blank value is no folder at all, not the file-system root.
    OutputPath = trimmed.empty() ? kDefaultOutputPath : IncludeTrailingSeparator(trimmed);
  } else {
    SetOrdinaryVariable(name, value);
  }
}

// A file that is no theme archive (or an empty one) is an error, not a missing theme. The
// theme's own files are kept from the output from now on.
bool THTMLGenerator::LoadTheme(std::string_view name) {
  Scanner.Forget();
  std::string theme(name);
  bool loaded = false;
  for (const std::string& folder : {ProjectFolderPath, ThemesFolder}) {
    loaded = CurrentTheme.Load(folder + theme, ThemeExtension);
    if (loaded || !CurrentTheme.BrokenArchive().empty()) break;
  }
  if (!CurrentTheme.BrokenArchive().empty()) Fail(geNotAnArchive, LineNumber, CurrentTheme.BrokenArchive());
  if (!CurrentTheme.ArchiveFile().empty()) Output.Protect(CurrentTheme.ArchiveFile());
  if (!CurrentTheme.FolderPath().empty()) Output.Guard(CurrentTheme.FolderPath());
  UpdateThemeSeesOutput();
  return loaded;
}

void THTMLGenerator::SetOrdinaryVariable(std::string_view name, std::string_view value) {
  std::string unescaped = UnescapeText(value);
  size_t dot = name.find('.');
  if (SameTextAscii(name.substr(dot == std::string_view::npos ? 0 : dot + 1), "Template"))
    TemplateLines[LowerCaseAscii(unescaped)] = LineNumber;
  if (dot == std::string_view::npos) {
    StoreValue(PageVariables ? *PageVariables : GlobalVariables, name, unescaped);
    return;
  }
  std::string_view prefix = name.substr(0, dot);
  std::string_view rest = name.substr(dot + 1);
  if (prefix.empty()) {
    StoreValue(GlobalVariables, rest, unescaped);
    return;
  }
  int section = Pages.Find(prefix);
  if (section < 0) {
    Fail(geUnknownSection, LineNumber, std::string(prefix));
    return;
  }
  StoreValue(Pages.Entry(section).Variables, rest, unescaped);
}

bool THTMLGenerator::GetVariable(std::string_view name, std::string& value) const {
  return GetOwnVariable(name, value) || GetBuiltIn(name, value);
}

// A page or global variable, a qualified one or a fragment: everything but the built-in values.
bool THTMLGenerator::GetOwnVariable(std::string_view name, std::string& value) const {
  value.clear();
  size_t dot = name.find('.');
  if (dot != std::string_view::npos) {
    std::string_view prefix = name.substr(0, dot);
    std::string_view rest = name.substr(dot + 1);
    if (prefix.empty()) return LookupValue(&GlobalVariables, rest, value);
    int section = Pages.Find(prefix);
    if (section >= 0 && LookupValue(&Pages.Entry(section).Variables, rest, value)) return true;
  }
  return LookupValue(PageVariables, name, value) || LookupValue(&GlobalVariables, name, value) ||
         Pages.FindFragment(name, value);
}

bool THTMLGenerator::GetBuiltIn(std::string_view name, std::string& value) const {
  std::string builtIn = UpperCaseAscii(name);
  if (builtIn == "CONTENT") {
    value = PageContent;
  } else if (builtIn == "NAME") {
    value = PageName;
  } else if (builtIn == "INDEX") {
    SettleIndex();
    value = GetIndexPage();
  } else if (builtIn == "NOW") {
    value = FormatNow();
  } else {
    return false;
  }
  return true;
}

std::string THTMLGenerator::GetVariableOr(std::string_view name,
                                          std::string_view defaultValue) const {
  std::string value;
  return GetVariable(name, value) ? value : std::string(defaultValue);
}

// The index page is the first page listed, and pages still being written come after those
// listed: only when none listed so far is a page does the answer wait for them.
void THTMLGenerator::SettleIndex() const {
  std::string index;
  if (LookupValue(&GlobalVariables, "index", index)) return;
  Pipeline.AbsorbFinished();
  for (const std::string& file : Written.Names())
    if (Extension(file).substr(0, 4) == ".htm") return;
  SettlePages();
}

std::string THTMLGenerator::GetIndexPage() const {
  std::string index;
  if (LookupValue(&GlobalVariables, "index", index)) return index;
  const std::vector<std::string>& files = Written.Names();
  for (const std::string& file : files)
    if (Extension(file).substr(0, 4) == ".htm") return file;
  return files.empty() ? std::string() : files.back();
}

std::string THTMLGenerator::Expand(std::string_view text, const TNameValueList* arguments) {
  if (ExpandDepth == 0) ExpandWork = 0;
  return ExpandText(text, arguments);
}

std::string THTMLGenerator::ExpandText(std::string_view text, const TNameValueList* arguments) {
  if (!Substitute || text.empty()) return std::string(text);
  if (ExpandDepth > 0) CountWork(text.size());  // a value inside another expansion
  ExpandWork += text.size();
  if (ExpandDepth >= kMaxExpandDepth || ExpandWork > kMaxExpandWork || BuildWork > BuildWorkLimit)
    return std::string(text);
  ++ExpandDepth;
  std::string out =
      MapLines(text, [&](std::string_view line) { return ExpandLine(line, arguments); });
  --ExpandDepth;
  return out;
}

// With page writers the build runs again on this thread alone, which fails where the bound is
// reached: the writers count their work only when their pages are taken in.
void THTMLGenerator::CountWork(size_t bytes) {
  BuildWork += bytes;
  if (BuildWork <= BuildWorkLimit || ErrorCode != geSuccess) return;
  if (Pipeline.Threaded()) throw std::length_error("the expansions of the build are beyond their bound");
  Fail(geExpansionTooLarge, PlaceLine ? PlaceLine : LineNumber);
}

std::string THTMLGenerator::ExpandLine(std::string_view line, const TNameValueList* arguments) {
  std::string out;
  TCursor cursor(line);
  const char* copied = line.data();
  TBracketed m;
  while (FindBracketed(cursor, "", '{', '}', m)) {
    out.append(copied, m.MatchStart - copied);
    copied = cursor.Pos;
    std::string_view content(m.InnerStart, m.CloseAt - m.InnerStart);
    if (!content.empty() && (content[0] == '&' || content[0] == '{')) {
      // {&name} survives as {name} for a later stage; {{name}} gives the value in braces.
      out += '{';
      out += ExpandText(content[0] == '&' ? content.substr(1) : content, arguments);
      out += '}';
      continue;
    }
    TPlaceholder placeholder;
    if (!ParsePlaceholder(content, placeholder)) {
      out.append(m.MatchStart, m.CloseAt + 1 - m.MatchStart);
      continue;
    }
    std::string key = PlaceholderKey(placeholder, arguments);
    if (std::find(ActivePlaceholders.begin(), ActivePlaceholders.end(), key) !=
        ActivePlaceholders.end()) {
      out.append(m.MatchStart, m.CloseAt + 1 - m.MatchStart);
      continue;
    }
    const TNameValueList* own = placeholder.HasArguments ? &placeholder.Arguments : nullptr;
    ActivePlaceholders.push_back(std::move(key));
    std::string expanded = PlaceholderValue(placeholder.Name, arguments, own);
    ActivePlaceholders.pop_back();
    const std::string converted = TTextToHTML::ConvertInline(expanded);
    if (converted != TPageJob::kHole) {  // the page writer counts a hole's
      CountWork(converted.size());
      ExpandWork += converted.size();  // what a value inserts counts as much as what it examines
    }
    out += converted;
  }
  out.append(copied, line.data() + line.size() - copied);
  return out;
}

// A macro argument, a variable, a fragment or a built-in value, expanded with the placeholder's
// own arguments; the content of a page whose substitution is off goes in as it is.
std::string THTMLGenerator::PlaceholderValue(std::string_view name, const TNameValueList* arguments,
                                             const TNameValueList* own) {
  std::string value;
  if (LookupValue(arguments, name, value) || GetOwnVariable(name, value))
    return ExpandText(value, own);
  if (Holes && SameTextAscii(name, "content")) return ContentHole();
  GetBuiltIn(name, value);
  if (ContentAsIs && SameTextAscii(name, "content")) return RejoinLines(value);
  return ExpandText(value, own);
}

// In the template's own text the content (which holds no braces) goes in as its lines rejoined
// and converted inline, whatever was expanded before: the page writer does that. Inside a value
// it would be converted inline with the text around it, so then it is wanted now.
std::string THTMLGenerator::ContentHole() {
  if (ExpandDepth != 1) {
    Holes->Lost = true;
    return std::string();
  }
  ++Holes->Count;
  return std::string(TPageJob::kHole);
}

bool THTMLGenerator::ResolveTemplate(std::string_view name, std::string& text) {
  if (name.find('<') != std::string_view::npos) {
    text = std::string(name);
    return true;
  }
  if (Pages.FindFragment(name, text)) return true;
  SeeOwnOutput();
  return CurrentTheme.ReadTemplate(name, text);
}

// The page's template (the variable Template); a named one that cannot be found is reported,
// once for each theme, at the directive that named it.
bool THTMLGenerator::PageTemplate(std::string& text) {
  const std::string name = GetVariableOr("Template", "");
  if (ResolveTemplate(name, text)) return true;
  const std::string key = LowerCaseAscii(name);
  const std::string theme = CurrentTheme.ArchiveFile() + '\0' + CurrentTheme.FolderPath();
  if (name.empty() || !MissingTemplates.insert(key + '\0' + theme).second) return false;
  auto set = TemplateLines.find(key);
  const int line = set != TemplateLines.end() ? set->second : PageLine;
  WarningList.push_back({TGeneratorWarning::gwTemplateNotFound, name, line});
  return false;
}

// A template may be a page this generation wrote into the theme's folder: before it is looked
// up, every page before it reaches the disk and the theme forgets what it read.
void THTMLGenerator::SeeOwnOutput() {
  if (!ThemeSeesOutput) return;
  FlushOutput();
  CurrentTheme.Forget();
  Scanner.Forget();
}

void THTMLGenerator::UpdateThemeSeesOutput() {
  ThemeSeesOutput = false;
  if (CurrentTheme.FolderPath().empty()) return;
  const QString theme = TOutputStore::FolderKey(CurrentTheme.FolderPath()) + u'/';
  for (const QString& folder : OutputFolderKeys)
    ThemeSeesOutput = ThemeSeesOutput || theme.startsWith(folder + u'/') || (folder + u'/').startsWith(theme);
}

void THTMLGenerator::UseOutputFolder() {
  const QString key = TOutputStore::FolderKey(GetOutputFolder());
  if (std::find(OutputFolderKeys.begin(), OutputFolderKeys.end(), key) != OutputFolderKeys.end()) return;
  OutputFolderKeys.push_back(key);
  UpdateThemeSeesOutput();
}

std::string THTMLGenerator::ConvertCharset(std::string_view text, bool htmlPage) const {
  if (GetVariableOr("charset", "") == "utf-8") return std::string(text);
  return TCodePage::Utf8ToAnsi(
      text, htmlPage ? TCodePage::mcCharacterReference : TCodePage::mcQuestionMark);
}

// A page whose substitution is off keeps the braces of its own lines, but its template is
// filled all the same: without it the page would lose its body.
std::string THTMLGenerator::FillTemplate(std::string_view templateText) {
  if (Substitute) return Expand(templateText, nullptr);
  Substitute = true;
  ContentAsIs = true;
  std::string page = Expand(templateText, nullptr);
  Substitute = false;
  ContentAsIs = false;
  return page;
}

// The bytes of an output file: a page poured into its template, an include file's converted
// markup, or the body of any other file as written.
std::string THTMLGenerator::PageOutput(const std::string& name, const std::string& body) {
  std::string extension = Extension(name);
  if (extension == ".inc") return ConvertCharset(Expand(PageContent, nullptr), false);
  if (!IsHtmlPage(extension)) return ConvertCharset(Expand(body, nullptr), false);
  std::string templateText;
  if (PageTemplate(templateText)) PageContent = FillTemplate(templateText);
  return ConvertCharset(PageContent, true);
}

void THTMLGenerator::WritePage(const std::string& name, const std::string& body) {
  if (CurrentPage < 0) return;
  if (HasDot(name)) PlacePage(name);
  if (Pipeline.Threaded() && HasDot(name))
    QueuePage(name, body);
  else
    WritePageNow(name, body);
}

// Every step on this thread; with page writers the file is still written in its turn, after the
// pages before it.
void THTMLGenerator::WritePageNow(const std::string& name, const std::string& body) {
  PageContent = Converter.Convert(body);
  if (!HasDot(name)) {
    if (!name.empty()) Pages.SetFragment(CurrentPage, PageContent);
    return;
  }
  if (!Pipeline.Threaded()) {
    std::string out = PageOutput(name, body);
    // A page that leads out of the output folder is not listed either.
    if (!PageRelative.empty()) {
      Output.Put(PageFolder, PageRelative, std::move(out), name, PageLine);
      Written.Add(name);
    }
    ScanResources(PageContent);
    return;
  }
  auto job = std::make_shared<TPageJob>();
  job->Name = name;
  job->Text = PageOutput(name, body);
  job->Scanned = PageContent;
  QueueJob(std::move(job));
}

// A page for the page writers: what depends on the text read so far is settled here.
void THTMLGenerator::QueuePage(const std::string& name, const std::string& body) {
  auto job = std::make_shared<TPageJob>();
  job->Name = name;
  job->Body = body;
  job->QuoteStyle = Converter.QuoteStyle;
  if (!PlanPage(*job, Extension(name))) {
    WritePageNow(name, body);
    return;
  }
  job->Utf8 = GetVariableOr("charset", "") == "utf-8";
  QueueJob(std::move(job));
}

// The shape of a page whose markup its writer converts; false when its converted markup is
// needed here (the markup or the quotation style holds a brace the expansion would act on).
bool THTMLGenerator::PlanPage(TPageJob& job, std::string_view extension) {
  if (job.Body.find('{') != std::string::npos || job.QuoteStyle.find('{') != std::string::npos)
    return false;
  job.HtmlPage = IsHtmlPage(extension);
  if (job.HtmlPage) return PlanHtmlPage(job);
  if (extension == ".inc") {
    job.Shape = TPageJob::psInclude;
    job.Substitute = Substitute;
    job.WorkLeft = kMaxExpandWork;
  } else {
    job.Shape = TPageJob::psRaw;
    job.Text = Expand(job.Body, nullptr);
  }
  return true;
}

bool THTMLGenerator::PlanHtmlPage(TPageJob& job) {
  std::string templateText;
  job.Shape = TPageJob::psContent;
  return !PageTemplate(templateText) || PlanFrame(job, templateText);
}

// The template filled here with holes for the content; false when the content is wanted
// elsewhere, or the template itself holds what marks a hole.
bool THTMLGenerator::PlanFrame(TPageJob& job, std::string_view templateText) {
  TContentHoles holes;
  std::string frame = FillTemplateWithHoles(templateText, holes);
  if (holes.Lost || CountOf(frame, TPageJob::kHole) != holes.Count || ExpandWork > kMaxExpandWork)
    return false;
  job.Shape = TPageJob::psFramed;
  job.Text = std::move(frame);
  job.Holes = holes.Count;
  job.HolesExpanded = Substitute;  // with substitution off the content goes in unexpanded
  job.WorkLeft = kMaxExpandWork - ExpandWork;
  return true;
}

std::string THTMLGenerator::FillTemplateWithHoles(std::string_view templateText, TContentHoles& holes) {
  Holes = &holes;
  struct TForget {
    TContentHoles*& Holes;
    ~TForget() { Holes = nullptr; }
  } forget{Holes};
  return FillTemplate(templateText);
}

// Written and searched in page order; the lists take the outcome in that order too.
void THTMLGenerator::QueueJob(std::shared_ptr<TPageJob> job) {
  job->Folder = PageFolder;
  job->Relative = PageRelative;
  job->Line = PageLine;
  TPagePipeline::TSteps steps;
  steps.Prepare = [job] { job->Prepare(); };
  steps.Commit = [job, this] { job->Commit(Scanner, Output); };
  steps.Absorb = [job, this] {
    CountWork(job->Work);
    if (job->Written) Written.Add(job->Name);
    for (const std::string& resource : job->Resources) AddResource(resource, job->Line);
  };
  Pipeline.Submit(std::move(steps));
}

void THTMLGenerator::AddResource(std::string_view path, int line) { NoteResource(ToBackslashes(path), line); }

// As the page or the directive named it.
void THTMLGenerator::NoteResource(const std::string& name, int line) {
  if (ThemeResources.Add(name)) ResourceLines.emplace(LowerCaseAscii(name), line);
}

void THTMLGenerator::CopyThemeResources() {
  SettlePages();
  std::string output = GetOutputFolder();
  std::string relative;
  THTMLTheme::TCopyReport report;
  for (const std::string& resource : ThemeResources.Names()) {
    // A name that leads out of the output folder is never copied, so it is not listed; one the
    // theme lacks is listed all the same.
    if (!NormalizeRelativePath(resource, relative)) continue;
    const size_t skipped = report.Skipped.size();
    CurrentTheme.CopyResource(resource, output, report);
    const int line = ResourceLines[LowerCaseAscii(resource)];
    ReportSkipped(report, skipped, line);
    if (report.LeadsOut) return Fail(geCannotWrite, line, resource);
    Written.Add(resource);
  }
  for (const std::string& file : report.Copied) Output.Copied(output, file);
  ThemeResources.Clear();
  ResourceLines.clear();
}

// Theme files a resource did not copy: links out of the theme, names holding "\".
void THTMLGenerator::ReportSkipped(const THTMLTheme::TCopyReport& report, size_t from, int line) {
  for (size_t i = from; i < report.Skipped.size(); ++i) {
    const bool link = report.Skipped[i].Reason == TThemeFiles::tsLeadsOut;
    WarningList.push_back({link ? TGeneratorWarning::gwThemeLinkSkipped : TGeneratorWarning::gwThemeNameSkipped,
                           report.Skipped[i].Name, line});
  }
}

// Where the current page's file goes; a name that leads out of the output folder is reported,
// and so is a file an earlier section gave too (this section's replaces it).
void THTMLGenerator::PlacePage(const std::string& name) {
  PageFolder = GetOutputFolder();
  PageRelative.clear();
  if (!NormalizeRelativePath(name, PageRelative)) {
    PageRelative.clear();
    WarningList.push_back({TGeneratorWarning::gwPageOutside, name, PageLine});
    return;
  }
  UseOutputFolder();
  const std::string key = TOutputStore::FolderKey(PageFolder).toStdString() + '/' + PageRelative;
  auto [earlier, first] = FileLines.emplace(key, PageLine);
  if (!first)
    WarningList.push_back({TGeneratorWarning::gwSectionRepeated, name, PageLine, earlier->second});
  earlier->second = PageLine;
}

void THTMLGenerator::ScanResources(std::string_view html) {
  std::vector<std::string> resources;
  Scanner.Resolve(TResourceScan::Collect(html), resources);
  for (const std::string& resource : resources) AddResource(resource, PageLine);
}
