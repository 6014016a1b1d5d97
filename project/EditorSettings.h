#pragma once

// The settings every text editor of the program shares (the project text, the template editor,
// the script window): a fixed font, UTF-8 text with CR LF line ends, line numbers in a smaller
// font, word wrap, two-space indentation without tabs, automatic indentation, and a caret that
// may stand past the end of a line.

class QsciScintilla;
class QWidget;

// A new editor named "Editor" with those settings.
QsciScintilla* NewEditor(QWidget* parent);
