#pragma once

// One output file of a generation on its way to disk. The generator decides on its own thread
// what depends on the project text read so far: where the file goes, its character set, and the
// text around the page's content (its template filled, with a hole wherever the content goes).
// What is left depends on nothing else and runs on a page writer's thread: converting the
// markup, filling the holes, the character set, finding the resources the page refers to. Then,
// in page order, the file is written and the theme's style sheets it names are read.

#include "generator/ResourceScan.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TOutputStore;

class TPageJob {
 public:
  // What the file is made of.
  enum TShape {
    psReady,    // Text is the file; Scanned is searched for resources
    psContent,  // a page without a template: the converted markup (the content)
    psFramed,   // a page: Text is its template filled, with kHole for each {content}
    psInclude,  // an include file: the content, its lines rejoined when substitution is on
    psRaw       // Text is the file (the body expanded); the content is only searched
  };

  // Where the content goes in a framed page: bytes no template holds, as the generator checks.
  static constexpr std::string_view kHole = "\x01\x02content\x02\x01";

  std::string Name;      // as WrittenFiles lists it
  std::string Folder;    // the output folder
  std::string Relative;  // the file below it; empty when the name leads out: nothing is written
  int Line = 0;          // of the section header
  TShape Shape = psReady;
  std::string Body;  // the markup, unless psReady
  std::string QuoteStyle;
  std::string Text;
  std::string Scanned;
  bool Utf8 = true;       // false: written in the code page
  bool HtmlPage = false;  // then a character the code page lacks becomes a reference
  bool Substitute = true;
  size_t Holes = 0;
  bool HolesExpanded = false;  // the content in a hole counts as examined by the expansion
  // How many bytes the expansion may still examine: the content of an include file, or that of
  // every hole together. Beyond it the generator would have left the content as it is.
  size_t WorkLeft = 0;

  // Filled in by Prepare and Commit, read by the generator once the job is done.
  bool Written = false;
  size_t Work = 0;  // what the expansion would have counted for the content

  std::vector<std::string> Resources;

  // On any thread. Raises when the content is too large for its holes: the generator then
  // starts the generation again on its own thread, where the limit applies as it always has.
  void Prepare();
  // In page order: hands the file to the output, then reads the style sheets the page names
  // from the theme.
  void Commit(TResourceScan& scan, TOutputStore& output);

 private:
  std::string Bytes;
  std::vector<TResourceScan::TReference> References;

  std::string FileText(const std::string& content);
  std::string Fill(const std::string& content);
};
