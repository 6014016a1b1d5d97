#pragma once

// The running editor's automation: the object model over the application module served on the
// session bus for outside clients. A program an automation client started (-automation,
// -embedding) also ends by itself after a minute without calls, unless the user has used its
// window or the project has unsaved changes.

#include <QObject>

#include <memory>

class TAutomationLifetime;
class TAutomationServer;
namespace Automation {
class TApplication;
class TEditor;
class TSettings;
}  // namespace Automation

class TEditorAutomation : public QObject {
  Q_OBJECT
 public:
  // The application module exists for the object's life.
  explicit TEditorAutomation(bool startedByClient, QObject* owner = nullptr);
  ~TEditorAutomation() override;

  const TAutomationServer& Server() const { return *Bus; }

 private:
  std::unique_ptr<Automation::TApplication> Application;
  std::unique_ptr<Automation::TEditor> Editor;
  std::unique_ptr<Automation::TSettings> Settings;
  std::unique_ptr<TAutomationServer> Bus;
  std::unique_ptr<TAutomationLifetime> Lifetime;
};
