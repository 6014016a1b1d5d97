#include "generator/PageJob.h"

#include "generator/MiscUtils.h"
#include "generator/OutputStore.h"
#include "generator/TextToHTML.h"
#include "project/CodePage.h"

#include <stdexcept>

void TPageJob::Prepare() {
  std::string content;
  if (Shape != psReady) {
    TTextToHTML converter;
    converter.QuoteStyle = QuoteStyle;
    content = converter.Convert(Body);
    std::string().swap(Body);
  }
  std::string text = FileText(content);
  const std::string& scanned = Shape == psReady ? Scanned : Shape == psFramed ? text : content;
  References = TResourceScan::Collect(scanned);
  if (Utf8)
    Bytes = std::move(text);
  else
    Bytes = TCodePage::Utf8ToAnsi(text, HtmlPage ? TCodePage::mcCharacterReference
                                                 : TCodePage::mcQuestionMark);
}

// The file before its character set.
std::string TPageJob::FileText(const std::string& content) {
  switch (Shape) {
    case psContent:
      return content;
    case psFramed:
      return Fill(content);
    case psInclude:
      Work = Substitute ? content.size() : 0;
      return Substitute && content.size() <= WorkLeft ? RejoinLines(content) : content;
    case psReady:
    case psRaw:
      break;
  }
  return Text;
}

// The expansion inserts the content as a placeholder's value: its lines rejoined, converted
// inline once more.
std::string TPageJob::Fill(const std::string& content) {
  if (HolesExpanded && Holes > 0 && content.size() > WorkLeft / Holes)
    throw std::length_error("the content of a page is beyond the expansion's limit");
  const std::string value = TTextToHTML::ConvertInline(RejoinLines(content));
  Work = Holes * ((HolesExpanded ? content.size() : 0) + value.size());
  std::string page;
  page.reserve(Text.size() + Holes * value.size());
  size_t from = 0;
  for (size_t hole = Text.find(kHole); hole != std::string::npos; hole = Text.find(kHole, from)) {
    page.append(Text, from, hole - from);
    page += value;
    from = hole + kHole.size();
  }
  page.append(Text, from, std::string::npos);
  return page;
}

void TPageJob::Commit(TResourceScan& scan, TOutputStore& output) {
  Written = !Relative.empty();
  if (Written) output.Put(Folder, Relative, std::move(Bytes), Name, Line);
  std::string().swap(Bytes);
  scan.Resolve(References, Resources);
}
