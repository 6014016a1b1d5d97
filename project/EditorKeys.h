#pragma once

// The editor control acts on the keys it has bindings for before any shortcut of the window sees
// them (Ctrl+L would cut the line instead of inserting a link). The program's commands take
// their keys back from it.

#include <QKeySequence>
#include <QList>

class QsciScintilla;

// Removes every binding of these keys from the editor's own commands.
void ReleaseEditorKeys(QsciScintilla* editor, const QList<QKeySequence>& keys);
