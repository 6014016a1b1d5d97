#include "app/RunScriptMode.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/InterfaceLanguage.h"
#include "app/Model.h"
#include "automation/ApplicationScript.h"
#include "automation/ScriptFile.h"
#include "automation/ScriptInterrupter.h"
#include "publish/FTPUploadModule.h"
#include "services/ConfigFile.h"
#include "services/WidgetTextAdapter.h"

#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <memory>

namespace {

void Print(FILE* stream, const QString& text) {
  std::fputs((text + u'\n').toUtf8().constData(), stream);
  std::fflush(stream);
}

QtMessageHandler QtPrinter = nullptr;

// The script's console: log and info on stdout, warn and error on stderr. The engine's console
// speaks through Qt's messages in the category "js"; the program's own messages pass as ever.
void ConsoleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (qstrcmp(context.category, "js") != 0) return QtPrinter(type, context, message);
  Print(type == QtDebugMsg || type == QtInfoMsg ? stdout : stderr, message);
}

bool ReadScript(const QString& path, QString& code) {
  QString error;
  if (TScriptFile::Read(path, code, error)) return true;
  Print(stderr, QStringLiteral("%1: cannot read the script: %2").arg(path, error));
  return false;
}

// The module as a script needs it: nothing asked, nothing shown, nothing kept for recovery,
// config.ini left as it is, messages in English.
void PrepareModule(TModule& module) {
  module.StartedByAutomation = true;
  module.KeepsRecovery = false;
  module.Config()->SetAutoSave(false);
  module.SetLanguage(TInterfaceLanguage::English);
  module.AskYesNoCancel = [](const QString&, const QString&) { return int(QMessageBox::Cancel); };
  module.AskYesNo = [](const QString&, const QString&) { return int(QMessageBox::No); };
  module.ChooseFile = [](QFileDialog*) { return QString(); };
  module.ShowError = [](const QString& message) { Print(stderr, message); };
}

bool OpenProject(TModule& module, const QString& path) {
  try {
    module.OpenProject(QFileInfo(path).absoluteFilePath());
    return true;
  } catch (const std::exception& error) {
    Print(stderr, QString::fromUtf8(error.what()));
    return false;
  }
}

int ReportError(const QString& scriptPath, const TScriptError& error) {
  Print(stderr, QStringLiteral("%1:%2: %3").arg(scriptPath).arg(error.Line + 1).arg(error.Description));
  return 1;
}

int RunScript(const QString& scriptPath, const QString& code) {
  TApplicationScript script(true);
  const TScriptInterrupter interrupter([&script] { script.Stop(); });
  const HRESULT result = script.Run(code);
  if (interrupter.Interrupted()) {
    Print(stderr, QStringLiteral("%1: interrupted").arg(scriptPath));
    return 130;
  }
  return result == S_OK ? 0 : ReportError(scriptPath, script.Error());
}

}  // namespace

int RunScriptMode(int argc, char** argv, const TCommandLine& commandLine) {
  qputenv("QT_QPA_PLATFORM", "offscreen");  // the windows exist, but nothing is shown
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  QString code;
  if (!ReadScript(commandLine.ScriptFile, code)) return 2;
  QtPrinter = qInstallMessageHandler(ConsoleMessage);
  const auto module = std::make_unique<TModule>(QString());
  PrepareModule(*module);
  if (!commandLine.Project.isEmpty() && !OpenProject(*module, commandLine.Project)) return 2;
  return RunScript(commandLine.ScriptFile, code);
}
