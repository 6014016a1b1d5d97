#include "app/EditorMode.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/Model.h"
#include "automation/EditorAutomation.h"
#include "preview/BrowserWindows.h"
#include "services/WidgetTextAdapter.h"

#include <QAbstractEventDispatcher>

#include <memory>

int RunEditor(int argc, char** argv, const TCommandLine& commandLine) {
  TBrowserWindows::Load();  // without it, the editor still works; Preview and Help say why not
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  TModule* module = new TModule(commandLine.Project);
  // Before the posted start-up runs: a client's program offers neither start screen nor recovery.
  module->StartedByAutomation = commandLine.Mode == rmAutomation;
  // The idle refresh: whenever the event queue runs empty.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   module, [module] { module->ApplicationEventsIdle(); });
  auto automation = std::make_unique<TEditorAutomation>(module->StartedByAutomation);
  MainForm->show();
  int result = application.exec();
  automation.reset();
  delete module;
  return result;
}
