#include "app/EditorMode.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/Model.h"
#include "preview/BrowserEngine.h"
#include "services/WidgetTextAdapter.h"

#include <QAbstractEventDispatcher>

int RunEditor(int argc, char** argv, const TCommandLine& commandLine) {
  PrepareBrowserEngine();
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  TModule* module = new TModule(commandLine.Project);
  // The idle refresh: whenever the event queue runs empty.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   module, [module] { module->ApplicationEventsIdle(); });
  MainForm->show();
  int result = application.exec();
  delete module;
  return result;
}
