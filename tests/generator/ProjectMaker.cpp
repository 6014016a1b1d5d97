#include "ProjectMaker.h"

namespace {

const std::vector<std::string> kNames = {
    "index.html", "page1.html", "page2.html", "PAGE1.html", "sub/deep.html", "sub\\deep.html",
    "notes.php",  "x.shtml",    "old.htm",    "menu",       "layout",        "part.inc",
    "feed.xml",   "style.css",  "../out.html", "a.txt",     "a.txt/b.html",  "",
    "{name}.html", "page{n}.html"};

const std::vector<std::string> kDirectives = {
    "$title T1", "$title Second {title}", "$$title  more", "$Template layout", "$Template other",
    "$Template <div>{&content}</div>", "$Template missing", "$Template", "$charset windows-1251",
    "$charset utf-8", "$subst off", "$quotestyle note", "$quotestyle color:red",
    "$quotestyle {&n}", "$uses css\\*.css",
    "$uses img/b.png", "$uses ../x.png", "$theme blue", "$theme template", "$theme packed",
    "$theme nowhere", "$outpath html\\sub\\", "$outpath", "$outpath html", "$index page1.html",
    "$menu.x 1", "$.title global", "$layout.y 2", "$x {&content}", "$content own", "$n 7",
    "$name gen", "$box <b>{&content}</b>", "$lines a\\nb\\n[page2.html]\\nc", "$two $theme nowhere\\n$n 8"};

const std::vector<std::string> kBodies = {
    "= {title}", "== Sub {n}", "Text _[b] *[page1.html link] ![img/a.png alt=x] .[note span]",
    "* item\n  * sub _[x]\n* two", "# one\n# two", "^ a ^ b\n| c | d |\n|  e || f |",
    "> pre {x} <b>", ".[wide]", "<link rel=stylesheet href=css/a.css>", "<img src=img/b.png>",
    "<p background=\"css/c.gif\">", "<style>p{background:url(img/a.png)}</style>", "{menu}",
    "{link(page1.html, One)}", "{INDEX}", "{NAME}", "{content}", "{&content}", "{box}", "{x}",
    "{lines}", "{{title}}", "Caf\xC3\xA9 \xD0\x9C\xD0\xB8\xD1\x80 \xE4\xB8\xAD", "\\[not a section]",
    "; comment", "_[a *[b c] d]", "{.title} {menu.x} {layout.y}", "plain text line", "",
    "{two}", "#[top] text"};

}  // namespace

const std::string& TProjectMaker::Pick(const std::vector<std::string>& choices) {
  return choices[Random() % choices.size()];
}

std::string TProjectMaker::SectionHeader() {
  if (Chance(1)) return "[broken.html";  // an error: the generation stops here
  return "[" + Pick(kNames) + "]";
}

std::string TProjectMaker::SectionLine() {
  if (Chance(35)) return Pick(kDirectives);
  if (Chance(2)) return "$theme damaged";
  return Pick(kBodies);
}

std::string TProjectMaker::Make() {
  std::string text = "$link <a href=\"{&1}\">{&2}</a>\n";
  if (Chance(50)) text += "$title Site\n";
  const int sections = 2 + static_cast<int>(Random() % 20);
  for (int s = 0; s < sections; ++s) {
    text += SectionHeader() + "\n";
    const int lines = static_cast<int>(Random() % 8);
    for (int l = 0; l < lines; ++l) text += SectionLine() + "\n";
  }
  return text;
}
