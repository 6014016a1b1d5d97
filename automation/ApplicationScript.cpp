#include "automation/ApplicationScript.h"

#include "app/Model.h"
#include "project/WrapPause.h"
#include "publish/FTPUploadModule.h"

#include <Qsci/qsciscintilla.h>

namespace {

// The changes made while it lives are one step for the editor's undo.
class TUndoStep {
 public:
  explicit TUndoStep(QsciScintilla* editor) : Editor(editor) { Editor->beginUndoAction(); }
  ~TUndoStep() { Editor->endUndoAction(); }
  TUndoStep(const TUndoStep&) = delete;
  TUndoStep& operator=(const TUndoStep&) = delete;

 private:
  QsciScintilla* Editor;
};

}  // namespace

TApplicationScript::TApplicationScript(bool windowless, const QString& noMember) : Application(windowless) {
  if (!noMember.isEmpty()) Script.NoMemberFormat = noMember;
  Script.CreateEngine(QStringLiteral("JavaScript"));
  Script.AddNamedItem(QStringLiteral("Application"), &Application, true);
}

TApplicationScript::~TApplicationScript() { Script.Close(); }

HRESULT TApplicationScript::Run(const QString& code) {
  const TWrapPause unwrapped(Module->GetEditor());
  const TUndoStep step(Module->GetEditor());
  return Script.Execute(code);
}

void TApplicationScript::Stop() {
  Script.Interrupt();
  FTPUploadModule->CancelFlag().store(true);
}
