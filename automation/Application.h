#pragma once

// The automation root object (Application): opens, saves, builds and uploads the project of the
// application module, and gives the Editor and Settings objects, a new one for every read. A
// script sees its members as global names (see TActiveScript).
//
// What the module would show in a message box while a member runs (a generator problem, a file
// that cannot be written) becomes the member's failure instead: the script stops with that
// message, the D-Bus caller receives it.

#include "automation/AutomationObject.h"

#include <QString>

#include <memory>

class TEditorLines;
class TLineList;

namespace Automation {

class TApplication : public TAutomationObject {
  Q_OBJECT
  Q_PROPERTY(QObject* Editor READ Editor)
  Q_PROPERTY(QObject* Settings READ Settings)
 public:
  // windowless: run by --run-script, where no dialog can ask for a file name and an upload
  // reports its progress on stderr. The application module exists for the object's life.
  explicit TApplication(bool windowless, QObject* owner = nullptr);
  ~TApplication() override;

  // fileName empty: as the Open command, asking first; true when a file was loaded.
  Q_INVOKABLE bool Open(const QString& fileName);
  // fileName empty: as Save As, asking for the name.
  Q_INVOKABLE void Save(const QString& fileName);
  // Builds the site and uploads it; true when the run completed.
  Q_INVOKABLE bool Upload();
  Q_INVOKABLE void Build();

  QObject* Editor() const;
  QObject* Settings() const;
  // The main editor's lines, for editor objects made elsewhere.
  TLineList& MainEditorLines() const;

 private:
  bool Windowless;
  std::unique_ptr<TEditorLines> MainLines;

  // Runs a member's work with the module's error boxes turned into the member's failure.
  template <class TWork>
  auto Member(TWork work) -> decltype(work());
  bool OpenProject(const QString& fileName);
  void SaveProject(const QString& fileName);
  bool UploadSite();
  void BuildSite();
  int UploadPrinted();
  void RequireWindow(const char* member, const QString& fileName) const;
};

}  // namespace Automation
