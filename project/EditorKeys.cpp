#include "project/EditorKeys.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

void ReleaseEditorKeys(QsciScintilla* editor, const QList<QKeySequence>& keys) {
  QsciCommandSet* commands = editor->standardCommands();
  for (const QKeySequence& sequence : keys) {
    if (sequence.isEmpty()) continue;
    const int key = sequence[0].toCombined();
    for (QsciCommand* command : commands->commands()) {
      if (command->key() == key) command->setKey(0);
      if (command->alternateKey() == key) command->setAlternateKey(0);
    }
  }
}
