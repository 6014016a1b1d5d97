#pragma once

// The site generator: reads the project text line by line, splits it into sections, runs the
// directives, expands placeholders and macros, converts each section's markup, pours pages into
// the templates of the current theme, writes them to the output folder and copies the theme
// files the pages refer to.

#include "generator/HTMLTheme.h"
#include "generator/MiscUtils.h"
#include "generator/OutputStore.h"
#include "generator/PagePipeline.h"
#include "generator/PageTable.h"
#include "generator/ResourceScan.h"
#include "generator/TextToHTML.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class EOutputError;
class TPageJob;

// Something a generation went on after and the user should hear of.
struct TGeneratorWarning {
  enum TKind {
    gwThemeNotFound,     // Subject: the theme's name as the directive gave it
    gwPageOutside,       // Subject: a page whose name leads out of the output folder (not written)
    gwSectionRepeated,   // Subject: a page whose file an earlier section (FirstLine) gave too
    gwTemplateNotFound,  // Subject: the template no theme has (the page has none)
    gwThemeLinkSkipped,  // Subject: a theme file or folder, a link leading out of the theme
    gwThemeNameSkipped   // Subject: a theme file whose name holds "\" (never a path)
  };
  TKind Kind;
  std::string Subject;
  int Line;           // the line of the project text (from 1) of the directive or section
  int FirstLine = 0;  // gwSectionRepeated: the earlier section's line
};

class THTMLGenerator {
 public:
  // Results of Generate.
  enum {
    geSuccess = 0,
    geSectionWithoutBracket = 1,
    geUnknownSection = 2,
    geCannotWrite = 3,     // ErrorSubject: the page
    geRefusedReplace = 4,  // ErrorSubject: the page, whose file is the project's or a theme's
    geDamagedArchive = 5,  // ErrorSubject: the theme archive, ErrorDetail: its entry
    geNotAnArchive = 6,    // ErrorSubject: the file given as a theme archive
    geExpansionTooLarge = 7  // the expansions of the build did more work than a build may
  };

  THTMLGenerator();
  virtual ~THTMLGenerator();

  // One complete generation of the editor's whole text.
  int Generate(const QString& projectText);
  int GenerateUtf8(std::string_view projectText);
  // How many threads convert and write pages: 0 (the default) one for each processor; 1 does
  // every step on the caller's thread, one after the other. The files, the lists and the
  // messages are the same whatever the number.
  void SetThreadCount(int count) { ThreadCount = count; }

  // The output folder, always ending with a separator: "html" beside the project file unless
  // the project's outpath says otherwise.
  std::string GetOutputFolder() const;
  void SetProjectFolder(std::string_view path);
  // The project file's name in the project folder (empty for an untitled project): no output
  // file may replace it.
  void SetProjectFileName(std::string_view name) { ProjectFileName = std::string(name); }
  void SetThemesFolder(std::string_view path);
  const std::string& ProjectFolder() const { return ProjectFolderPath; }
  std::string ThemeExtension = ".ikltheme";

  // Lookups after (or during) a generation: page and global variables, fragments, and the
  // built-in CONTENT, NAME, INDEX and NOW.
  bool GetVariable(std::string_view name, std::string& value) const;
  std::string GetVariableOr(std::string_view name, std::string_view defaultValue) const;
  std::string GetIndexPage() const;

  THTMLTheme& Theme() { return CurrentTheme; }
  const std::vector<std::string>& WrittenFiles() const { return Written.Names(); }
  // The line of the project text (from 1) at which the last generation stopped with an error.
  int ErrorLine() const { return ErrorLineNumber; }
  // What the error of the last generation names (see the results).
  const std::string& ErrorSubject() const { return ErrorSubjectText; }
  const std::string& ErrorDetail() const { return ErrorDetailText; }
  // What the last generation met and went on after, in the order of the text.
  const std::vector<TGeneratorWarning>& Warnings() const { return WarningList; }

  // Placeholder expansion of a text, with the arguments of a macro call or none.
  std::string Expand(std::string_view text, const TNameValueList* arguments);
  // A page's template: inline (it holds "<"), a fragment of that name, or a theme template.
  bool ResolveTemplate(std::string_view name, std::string& text);
  // The bytes of a file: unchanged for the charset "utf-8", otherwise in the code page, where a
  // page (htmlPage) writes a character the code page lacks as a character reference.
  std::string ConvertCharset(std::string_view text, bool htmlPage) const;

 protected:
  virtual void BeginGenerate() {}
  virtual void WritePage(const std::string& name, const std::string& body);
  virtual void CopyThemeResources();
  virtual void EndGenerate() {}
  // The value of NOW: the current local date and time (tests that compare two generations fix
  // it).
  virtual std::string FormatNow() const;

  void ScanResources(std::string_view html);
  // A theme file to copy, named at line (of the directive or the page).
  void AddResource(std::string_view path, int line);

 private:
  TTextToHTML Converter;
  THTMLTheme CurrentTheme;
  TResourceScan Scanner{CurrentTheme};  // forgets what it read whenever a theme is loaded
  TNameValueList GlobalVariables;
  TPageTable Pages;
  TUniqueNameList Written;
  TUniqueNameList ThemeResources;
  std::unordered_map<std::string, int> ResourceLines;  // lower-cased resource -> its first line
  // For each value appended to (table and lower-cased name): how much of it the next append
  // leaves as it is (see AppendInPlace).
  std::unordered_map<std::string, size_t> UnescapedLengths;
  int CurrentPage = -1;
  std::string PageName;
  std::string PageBody;
  std::string PageContent;
  TNameValueList* PageVariables = nullptr;
  int ErrorCode = geSuccess;
  int ErrorLineNumber = 0;
  std::string ErrorSubjectText;
  std::string ErrorDetailText;
  int LineNumber = 0;
  int PageLine = 0;   // of the current section's header
  int PlaceLine = 0;  // of the section being written, while it is
  std::string ProjectFileName;
  TOutputStore Output;
  // The current page's file: its output folder and its name below it (empty: none).
  std::string PageFolder;
  std::string PageRelative;
  // The files of this generation (output folder key, "/", name) and their sections' lines.
  std::unordered_map<std::string, int> FileLines;
  // The output folders used so far; whether the current theme's folder holds one or lies in
  // one, so that its templates may be pages of this generation.
  std::vector<QString> OutputFolderKeys;
  bool ThemeSeesOutput = false;
  // The line of the directive that last set each Template value (lower-cased), and the
  // templates reported missing (name and theme).
  std::unordered_map<std::string, int> TemplateLines;
  std::unordered_set<std::string> MissingTemplates;
  std::vector<TGeneratorWarning> WarningList;
  std::string ThemesFolder;
  std::string ProjectFolderPath;
  static constexpr const char* kDefaultOutputPath = "html\\";
  std::string OutputPath = kDefaultOutputPath;
  bool Substitute = true;
  // While a page whose substitution is off fills its template: its content goes in as it is.
  bool ContentAsIs = false;
  // Expansion guards: how deep values are nested in values, how much text the current
  // top-level expansion has examined, and the placeholders being expanded right now.
  int ExpandDepth = 0;
  size_t ExpandWork = 0;
  size_t BuildWork = 0;  // of every expansion of this build
  size_t BuildWorkLimit = 0;
  std::vector<std::string> ActivePlaceholders;
  // While a page's template is filled for a page writer: the holes left for its content.
  struct TContentHoles {
    size_t Count = 0;
    bool Lost = false;  // the content was wanted inside a value: it has to be there now
  };
  TContentHoles* Holes = nullptr;
  int ThreadCount = 0;
  // Looking up INDEX waits for the pages still being written.
  mutable TPagePipeline Pipeline;

  void ClearState();
  int GenerateOnce(std::string_view projectText);
  void ReadProject(std::string_view projectText);
  void Fail(int code, int line, std::string subject = std::string(), std::string detail = std::string());
  void FailOnOutput(const EOutputError& error);
  void WriteAfterError();
  void FlushOutput();
  void PlacePage(const std::string& name);
  void UseOutputFolder();
  void UpdateThemeSeesOutput();
  void SeeOwnOutput();
  bool PageTemplate(std::string& text);
  void SettlePages() const { Pipeline.AbsorbAll(); }
  void SettleIndex() const;
  void ReadText(std::string_view text);
  void ClassifyLine(std::string_view line);
  void StartSection(std::string_view line);
  void RunDirective(std::string_view line);
  void FlushPage();
  void NoteResource(const std::string& name, int line);
  void ReportSkipped(const THTMLTheme::TCopyReport& report, size_t from, int line);
  void StartPage(const std::string& name);
  void SetVariable(std::string_view name, std::string_view value);
  bool AppendInPlace(std::string_view name, std::string_view text);
  static std::string ValueKey(const TNameValueList& table, std::string_view name);
  static bool IsDirective(const std::string& lowerName);
  void StoreValue(TNameValueList& table, std::string_view name, const std::string& value);
  void SetOrdinaryVariable(std::string_view name, std::string_view value);
  bool LoadTheme(std::string_view name);
  std::string ExpandText(std::string_view text, const TNameValueList* arguments);
  void CountWork(size_t bytes);
  std::string ExpandLine(std::string_view line, const TNameValueList* arguments);
  bool GetOwnVariable(std::string_view name, std::string& value) const;
  bool GetBuiltIn(std::string_view name, std::string& value) const;
  std::string PlaceholderValue(std::string_view name, const TNameValueList* arguments,
                               const TNameValueList* own);
  std::string FillTemplate(std::string_view templateText);
  std::string PageOutput(const std::string& name, const std::string& body);
  void WritePageNow(const std::string& name, const std::string& body);
  void QueuePage(const std::string& name, const std::string& body);
  bool PlanPage(TPageJob& job, std::string_view extension);
  bool PlanHtmlPage(TPageJob& job);
  std::string FillTemplateWithHoles(std::string_view templateText, TContentHoles& holes);
  bool PlanFrame(TPageJob& job, std::string_view templateText);
  void QueueJob(std::shared_ptr<TPageJob> job);
  std::string ContentHole();
};
