// A table of contents of the project's pages.
//
//   inkloom --run-script table-of-contents.js site.iklproj
//
// Writes the fragment [contents]: a link to each page section under its title ($title, or the
// page's name), with the page's level 1 and 2 headings nested below it. Put {contents} where a
// page should show it. The fragment goes before the first section, so that every page can use
// it, and replaces an older one. The table is printed, the site built, and the project saved
// when saveAs names a file.

var fragment = 'contents';
var saveAs = '';

// The project's sections with their titles, headings and lines, in order.
function readSections(lines) {
  var sections = [], current = null;
  lines.forEach(function (line, i) {
    var header = /^\s*\[(.+)\]\s*$/.exec(line), m;
    if (header) {
      current = { name: header[1], title: '', headings: [], first: i, count: 1 };
      sections.push(current);
    } else if (current) {
      current.count++;
      if ((m = /^\$title\s+(.*)$/.exec(line))) current.title = m[1].trim();
      else if ((m = /^(==?) (.*)$/.exec(line))) current.headings.push({ level: m[1].length, text: m[2].trim() });
    }
  });
  return sections;
}

var lines = Editor.Text.split(/\r\n|\n/);
var sections = readSections(lines);
sections.filter(function (s) { return s.name === fragment; }).reverse().forEach(function (old) {
  lines.splice(old.first, old.count);
});
sections = readSections(lines);

// The fragment is put together in a text object of its own, then placed.
var table = Editor.New();
table.AddSection(fragment);
sections.filter(function (s) { return /\.html?$/i.test(s.name); }).forEach(function (page) {
  table.AddUL(table.StrLink(page.name.replace(/\\/g, '/'), page.title || page.name));
  page.headings.forEach(function (h) { table.AddUL(h.text, h.level); });
});
table.Writeln();

var at = sections.length ? sections[0].first : lines.length;
var added = [];
for (var i = 0; i < table.LineCount; i++) added.push(table.GetLine(i));
lines.splice.apply(lines, [at, 0].concat(added));
Editor.Text = lines.join('\r\n');

console.log(added.slice(1, -1).join('\n'));
Build();
if (saveAs) Save(saveAs);
