// A site map for search engines.
//
//   inkloom --run-script site-map.js site.iklproj
//
// Adds the section [sitemap.xml] (or replaces it) listing every page of the project in the
// sitemap protocol of sitemaps.org, with today's date, and builds the site, so sitemap.xml
// lies beside the pages. The site's address comes from the project's variable siteurl
// ($siteurl http://www.example.com/) or from the line below. The project is saved when saveAs
// names a file.

var siteUrl = 'http://www.example.com/';
var saveAs = '';

var pages = [], start = -1, end = -1;
for (var i = 0; i < Editor.LineCount; i++) {
  var line = Editor.GetLine(i), m;
  if ((m = /^\$siteurl\s+(\S+)/.exec(line))) siteUrl = m[1];
  if ((m = /^\s*\[(.+)\]\s*$/.exec(line))) {
    if (start >= 0 && end < 0) end = i;
    if (m[1] === 'sitemap.xml') start = i;
    else if (/\.html?$/i.test(m[1])) pages.push(m[1].replace(/\\/g, '/'));
  }
}
if (!/\/$/.test(siteUrl)) siteUrl += '/';

// The old map goes; the new one is written at the end.
if (start >= 0) {
  var lines = Editor.Text.split('\r\n');
  lines.splice(start, (end < 0 ? lines.length : end) - start);
  Editor.Text = lines.join('\r\n');
}

var today = new Date().toISOString().substring(0, 10);
Editor.Writeln();
Editor.AddSection('sitemap.xml');
Editor.Writeln('<?xml version="1.0" encoding="UTF-8"?>');
Editor.Writeln('<urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">');
pages.forEach(function (page) {
  Editor.Writeln(Editor.StrTag('url', Editor.StrTag('loc', siteUrl + page) + Editor.StrTag('lastmod', today)));
});
Editor.Writeln('</urlset>');
console.log(pages.length + ' page(s) in sitemap.xml');
Build();
if (saveAs) Save(saveAs);
