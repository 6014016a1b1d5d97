#!/usr/bin/python3
"""Writes one synthetic site twice, for the site build benchmark (bench/site_build.sh).

    make_site.py DIR [PAGES]

DIR/inkloom/site.txt     the Inkloom project: PAGES sections of about 2 KB of markup each
DIR/inkloom/template/    its theme folder: index.html, css/site.css, img/a.png, img/b.png
DIR/hugo/                the same pages as a Hugo site: hugo.toml, a minimal layout, a
                         shortcode for the macro, static/ with the style sheet and images,
                         content/ with one Markdown file per page

Both forms are written side by side from the same random choices, so the pages have the same
structure: headings, paragraphs, nested bulleted and numbered lists, a table, links, bold and
italic text, the page title from a per-page variable and one macro call. The text is
deterministic (fixed seed), so runs on different machines build the same site.
"""

import os
import struct
import sys
import zlib

WORDS = [
    "theme", "page", "site", "section", "editor", "folder", "upload", "preview",
    "simple", "static", "template", "menu", "list", "table", "image", "link",
    "text", "write", "publish", "small", "quick", "plain", "web", "project",
    "style", "header", "footer", "column", "paragraph", "archive", "server", "local",
]

HTML_SHELL = ('<html><head><title>{title}</title>'
              '<link rel="stylesheet" href="css/site.css"></head>'
              '<body>{content}</body></html>\n')

CSS = ('body { font-family: sans-serif; margin: 2em; background: url(../img/a.png) repeat-x; }\n'
       'h1 { color: #234; }\n'
       'h2 { color: #456; border-bottom: 1px solid #ccc; }\n'
       'table { border-collapse: collapse; }\n'
       'td, th { border: 1px solid #999; padding: 2px 6px; }\n'
       'p.note { padding-left: 20px; background: url(../img/b.png) no-repeat left center; }\n')


class Random:
    """A small linear congruential generator: the same sequence with every Python version."""

    def __init__(self, seed):
        self.state = seed

    def below(self, bound):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) % bound


class PageWriter:
    """Builds one page in both markups from the same choices."""

    def __init__(self, rnd, number, pages):
        self.rnd = rnd
        self.number = number
        self.pages = pages
        self.ink = []
        self.md = []

    def words(self, count):
        return " ".join(WORDS[self.rnd.below(len(WORDS))] for _ in range(count))

    def page_name(self, number):
        return "page%05d.html" % number

    def other_page(self):
        return self.page_name(self.rnd.below(self.pages) + 1)

    def running_text(self):
        """A line of running text with bold, italic and a link, as (inkloom, markdown)."""
        ink, md = [], []
        for _ in range(3):
            plain = self.words(6 + self.rnd.below(6))
            ink.append(plain)
            md.append(plain)
            kind = self.rnd.below(3)
            phrase = self.words(2)
            if kind == 0:
                ink.append("_[%s]" % phrase)
                md.append("**%s**" % phrase)
            elif kind == 1:
                ink.append("__[%s]" % phrase)
                md.append("*%s*" % phrase)
            else:
                target = self.other_page()
                ink.append("*[%s %s]" % (target, phrase))
                md.append("[%s](%s)" % (phrase, target))
        tail = self.words(4) + "."
        ink.append(tail)
        md.append(tail)
        return " ".join(ink), " ".join(md)

    def both(self, ink_line, md_line=None):
        self.ink.append(ink_line)
        self.md.append(ink_line if md_line is None else md_line)

    def heading2(self, count):
        text = self.words(count)
        self.both("== " + text, "## " + text)
        self.both("")

    def paragraph(self):
        ink, md = self.running_text()
        self.both(ink, md)
        self.both("")

    def item_text(self):
        text = self.words(3 + self.rnd.below(4))
        if self.rnd.below(3) == 0:
            phrase = self.words(2)
            return text + " _[" + phrase + "]", text + " **" + phrase + "**"
        return text, text

    def nested_list(self):
        # Bullets, a deeper level of bullets, and numbered items below that. In Markdown a
        # nested list is indented to the text of its parent item ("- " is two columns).
        for _ in range(2):
            ink, md = self.item_text()
            self.both("* " + ink, "- " + md)
            for _ in range(2):
                ink, md = self.item_text()
                self.both("  * " + ink, "  - " + md)
            for number in range(1, 3):
                ink, md = self.item_text()
                self.both("    # " + ink, "    %d. %s" % (number, md))
        self.both("")

    def table(self):
        columns = 3
        head = [self.words(1).capitalize() for _ in range(columns)]
        self.ink.append("^ " + " ^ ".join(head))
        self.md.append("| " + " | ".join(head) + " |")
        self.md.append("|" + "---|" * columns)
        for _ in range(4):
            cells = [self.words(1 + self.rnd.below(2)) for _ in range(columns)]
            self.both("| " + " | ".join(cells) + " |")
        self.both("")

    def macro(self):
        text = self.words(5)
        self.both("{note(%s)}" % text, '{{< note "%s" >}}' % text)
        self.both("")

    def write(self):
        title = "Page %d" % self.number
        name = self.page_name(self.number)
        self.ink.append("[%s]" % name)
        self.ink.append("$title " + title)
        self.md.extend(["---", 'title: "%s"' % title, "---", ""])
        heading = self.words(3)
        self.both("= {title}: " + heading, "# %s: %s" % (title, heading))
        self.both("")
        self.paragraph()
        self.paragraph()
        self.heading2(3)
        self.paragraph()
        self.nested_list()
        self.paragraph()
        self.heading2(2)
        self.table()
        self.macro()
        self.paragraph()
        self.paragraph()
        nxt = self.page_name(self.number % self.pages + 1)
        self.both("Go on to *[%s the next page]." % nxt, "Go on to [the next page](%s)." % nxt)
        self.both("")
        return "\n".join(self.ink) + "\n", "\n".join(self.md) + "\n"


def png(width, height, rgb):
    """A small single-colour PNG image."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    row = b"\x00" + bytes(rgb) * width
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(row * height)) +
            chunk(b"IEND", b""))


def write_file(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode, **({} if isinstance(data, bytes) else {"encoding": "utf-8", "newline": "\n"})) as f:
        f.write(data)


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: make_site.py DIR [PAGES]")
    root = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    ink_root = os.path.join(root, "inkloom")
    hugo_root = os.path.join(root, "hugo")

    images = {"img/a.png": png(8, 8, (200, 220, 240)), "img/b.png": png(12, 12, (240, 200, 120))}

    # Inkloom theme beside the project file.
    theme = os.path.join(ink_root, "template")
    write_file(os.path.join(theme, "index.html"), HTML_SHELL)
    write_file(os.path.join(theme, "css", "site.css"), CSS)
    for name, data in images.items():
        write_file(os.path.join(theme, name), data)

    # Hugo site: no taxonomies, feeds, sitemap, robots.txt, 404 page or list pages, as
    # Inkloom writes none of them; no heading ids either. Page files are named like
    # Inkloom's (uglyURLs).
    write_file(os.path.join(hugo_root, "hugo.toml"),
               'baseURL = "http://localhost/"\n'
               'title = "Bench"\n'
               'uglyURLs = true\n'
               'relativeURLs = true\n'
               'disableKinds = ["home", "section", "taxonomy", "term", "RSS", "sitemap",'
               ' "robotsTXT", "404"]\n'
               'enableRobotsTXT = false\n'
               'disableHugoGeneratorInject = true\n'
               '[markup.goldmark.parser]\n'
               '  autoHeadingID = false\n'
               '[markup.goldmark.renderer]\n'
               '  unsafe = true\n')
    write_file(os.path.join(hugo_root, "layouts", "_default", "single.html"),
               '<html><head><title>{{ .Title }}</title>'
               '<link rel="stylesheet" href="css/site.css"></head>'
               '<body>{{ .Content }}</body></html>\n')
    write_file(os.path.join(hugo_root, "layouts", "shortcodes", "note.html"),
               '<p class="note">{{ .Get 0 }}</p>')
    write_file(os.path.join(hugo_root, "static", "css", "site.css"), CSS)
    for name, data in images.items():
        write_file(os.path.join(hugo_root, "static", name), data)

    rnd = Random(12345)
    content = os.path.join(hugo_root, "content")
    os.makedirs(content, exist_ok=True)
    with open(os.path.join(ink_root, "site.txt"), "w", encoding="utf-8", newline="\n") as project:
        project.write("; Synthetic site for the build benchmark\n")
        project.write('$note <p class="note">{&1}</p>\n\n')
        for number in range(1, pages + 1):
            ink, md = PageWriter(rnd, number, pages).write()
            project.write(ink)
            with open(os.path.join(content, "page%05d.md" % number), "w",
                      encoding="utf-8", newline="\n") as f:
                f.write(md)


if __name__ == "__main__":
    main()
