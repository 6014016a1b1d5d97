// A page for each item of a list.
//
//   inkloom --run-script pages-from-list.js site.iklproj
//
// The fragment [pagelist] of the project lists the pages a site should have, one list item a
// page, with a short text after " - " if you like:
//
//   [pagelist]
//   * Green tea - Grown in the shade, picked in spring.
//   * Black tea
//
// Each item that has no page yet gets one at the end of the project: [green-tea.html] with its
// title, a heading and the text. The site is built, and the project saved when saveAs names a
// file (the same file as the project's, or another).

var listSection = 'pagelist';
var saveAs = '';

function slug(title) {
  return title.toLowerCase().replace(/[^a-z0-9]+/g, '-').replace(/^-|-$/g, '') || 'page';
}

// The list items of a section: the lines from its header to the next one.
function listItems(name) {
  var items = [], inside = false;
  for (var i = 0; i < Editor.LineCount; i++) {
    var line = Editor.GetLine(i).trim();
    if (/^\[.*\]$/.test(line)) inside = line === '[' + name + ']';
    else if (inside && line.indexOf('* ') === 0) items.push(line.substring(2));
  }
  return items;
}

function hasSection(name) {
  for (var i = 0; i < Editor.LineCount; i++)
    if (Editor.GetLine(i).trim() === '[' + name + ']') return true;
  return false;
}

var added = 0;
listItems(listSection).forEach(function (item) {
  var parts = item.split(' - ');
  var title = parts[0].trim(), page = slug(title) + '.html';
  if (hasSection(page)) return;
  Editor.Writeln();
  Editor.AddSection(page);
  Editor.AddDefine('title', title);
  Editor.AddH1(title);
  if (parts.length > 1) Editor.AddP(parts.slice(1).join(' - ').trim());
  console.log('added ' + page);
  added++;
});
console.log(added + ' page(s) added');
Build();
if (saveAs) Save(saveAs);
