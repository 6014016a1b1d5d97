// The encoding pages and text files are sent with: the page's own declaration, else what its
// bytes are.

#include "preview/CharsetScanner.h"
#include "preview/PageEncoding.h"
#include "project/CodePage.h"

#include <gtest/gtest.h>

namespace {

struct TDeclarationCase {
  const char* Page;
  const char* Declared;  // "" for none
};

const TDeclarationCase kDeclarations[] = {
    {"<html><head><meta charset=\"Windows-1251\"><title>x</title>", "windows-1251"},
    {"<META CHARSET=koi8-r>", "koi8-r"},
    {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">", "windows-1251"},
    {"<meta content='text/html;charset = \"ISO-8859-5\"' http-equiv='content-type'/>", "iso-8859-5"},
    // content counts only beside http-equiv, and the first charset attribute wins
    {"<meta content=\"text/html; charset=koi8-r\">", ""},
    {"<meta charset=utf-8 charset=koi8-r>", "utf-8"},
    {"<meta name=x><meta charset=\"utf-8\">", "utf-8"},
    // not a declaration: in a comment, in another tag's attribute, in text, past the scanned head
    {"<!-- <meta charset=koi8-r> --><p>", ""},
    {"<!--><meta charset=koi8-r>", "koi8-r"},
    {"<a title=\"<meta charset=koi8-r>\">x</a>", ""},
    {"<metal charset=koi8-r>", ""},
    {"<p>write &lt;meta charset=koi8-r&gt;</p>", ""},
    // names that could not go into a header line, or mean UTF-8 in an 8-bit page
    {"<meta charset=\"utf-8\r\nX-Injected: 1\">", ""},
    {"<meta charset=\"\">", ""},
    {"<meta charset=utf-16le>", "utf-8"},
    {"<meta charset=\"", ""},
};

}  // namespace

TEST(PageEncoding, FindsThePagesOwnDeclarationAsABrowserDoes) {
  for (const TDeclarationCase& test : kDeclarations)
    EXPECT_EQ(TCharsetScanner(test.Page).Declared(), QByteArray(test.Declared)) << test.Page;
  const QByteArray late = QByteArray(TCharsetScanner::PrescanSize, ' ') + "<meta charset=koi8-r>";
  EXPECT_EQ(TCharsetScanner(late).Declared(), QByteArray());
}

TEST(PageEncoding, TellsValidUtf8FromOtherBytes) {
  const struct {
    QByteArray Bytes;
    bool Valid;
  } cases[] = {
      {"plain ASCII", true},
      {"\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe2\x82\xac \xf0\x9f\x98\x80", true},
      {"\xcf\xf0\xe8\xe2\xe5\xf2", false},  // windows-1251
      {"\xc0\xaf", false},                  // overlong "/"
      {"\xed\xa0\x80", false},              // a surrogate
      {"\xf4\x90\x80\x80", false},          // beyond U+10FFFF
      {"\xe2\x82", true},                   // cut off by the end of a sample
      {"\xe2\x82 next", false},             // cut off in the middle
      {"\x80", false},
  };
  for (const auto& test : cases)
    EXPECT_EQ(TPageEncoding::IsUtf8(test.Bytes), test.Valid) << test.Bytes.toHex().toStdString();
}

TEST(PageEncoding, DeclarationThenBytesThenTheCodePage) {
  const QByteArray codePage = QByteArray::fromStdString(TCodePage::Name());
  EXPECT_EQ(TPageEncoding::Of("<meta charset=koi8-r>\xd0\x9f", true), "koi8-r");
  EXPECT_EQ(TPageEncoding::Of("<meta charset=koi8-r>\xd0\x9f", false), "utf-8");  // not a page
  EXPECT_EQ(TPageEncoding::Of("\xcf\xf0\xe8\xe2\xe5\xf2", true), codePage);
  EXPECT_EQ(TPageEncoding::Of("", false), "utf-8");
  for (const char* text : {"text/html", "text/css", "text/plain", "application/javascript"})
    EXPECT_TRUE(TPageEncoding::IsText(text)) << text;
  for (const char* other : {"image/png", "application/xml", "image/svg+xml", "application/octet-stream"})
    EXPECT_FALSE(TPageEncoding::IsText(other)) << other;
}
