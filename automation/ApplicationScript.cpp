#include "automation/ApplicationScript.h"

#include "app/Model.h"
#include "project/WrapPause.h"
#include "publish/FTPUploadModule.h"

TApplicationScript::TApplicationScript(bool windowless) : Application(windowless) {
  Script.CreateEngine(QStringLiteral("JavaScript"));
  Script.AddNamedItem(QStringLiteral("Application"), &Application, true);
}

TApplicationScript::~TApplicationScript() { Script.Close(); }

HRESULT TApplicationScript::Run(const QString& code) {
  const TWrapPause unwrapped(Module->GetEditor());
  return Script.Execute(code);
}

void TApplicationScript::Stop() {
  Script.Interrupt();
  FTPUploadModule->CancelFlag().store(true);
}
