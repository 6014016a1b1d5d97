#include "automation/EditorAutomation.h"

#include "app/Main.h"
#include "app/Model.h"
#include "automation/Application.h"
#include "automation/AutomationLifetime.h"
#include "automation/AutomationServer.h"
#include "automation/Editor.h"
#include "automation/Settings.h"
#include "publish/FTPUploadModule.h"

#include <QDBusConnection>
#include <QFileInfo>

namespace {

// The desktop's session bus, or none: connecting without one would have the bus library start
// a bus of its own, which outlives the program.
QDBusConnection SessionBus() {
  const bool around = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ||
                      QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus"));
  return around ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("none"));
}

}  // namespace

TEditorAutomation::TEditorAutomation(bool startedByClient, QObject* owner)
    : QObject(owner),
      Application(std::make_unique<Automation::TApplication>(false)),
      Editor(std::make_unique<Automation::TEditor>(Application->MainEditorLines())),
      Settings(std::make_unique<Automation::TSettings>(*FTPUploadModule)),
      Bus(std::make_unique<TAutomationServer>(Application.get(), Editor.get(), Settings.get(), SessionBus())) {
  Bus->Start();  // without a session bus, or with another program serving, the editor just runs
  if (!startedByClient) return;
  Lifetime = std::make_unique<TAutomationLifetime>([] { return Module->IsModified(); }, [] { MainForm->close(); });
  connect(Bus.get(), &TAutomationServer::Called, Lifetime.get(), &TAutomationLifetime::Called);
}

// The bus lets go of the objects before they go.
TEditorAutomation::~TEditorAutomation() {
  Lifetime.reset();
  Bus.reset();
}
