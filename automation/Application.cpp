#include "automation/Application.h"

#include "app/Model.h"
#include "automation/Editor.h"
#include "automation/EditorLines.h"
#include "automation/Settings.h"
#include "automation/UploadProgressLines.h"
#include "generator/InkloomError.h"
#include "publish/FTPUploadModule.h"

#include <QFileInfo>
#include <QJSEngine>

#include <cstdio>

namespace Automation {

namespace {

// While a member runs, what the module would show in an error box is collected instead.
class TCollectedErrors {
 public:
  TCollectedErrors() : Previous(Module->ShowError) {
    Module->ShowError = [this](const QString& message) { Messages.append(message); };
  }
  ~TCollectedErrors() { Module->ShowError = Previous; }
  void Raise() const {
    if (!Messages.isEmpty()) throw EInkloomError(Messages.join(u'\n').toStdString());
  }

 private:
  std::function<void(const QString&)> Previous;
  QStringList Messages;
};

// Objects made for a script belong to it: the engine frees them with their last reference.
QObject* ForScript(QObject* object) {
  QJSEngine::setObjectOwnership(object, QJSEngine::JavaScriptOwnership);
  return object;
}

QString Absolute(const QString& fileName) {
  return fileName.isEmpty() ? fileName : QFileInfo(fileName).absoluteFilePath();
}

}  // namespace

TApplication::TApplication(bool windowless, QObject* owner)
    : TAutomationObject(owner), Windowless(windowless), MainLines(std::make_unique<TEditorLines>(*Module)) {}

TApplication::~TApplication() = default;

template <class TWork>
auto TApplication::Member(TWork work) -> decltype(work()) {
  return Run([&] {
    TCollectedErrors errors;
    try {
      auto result = work();
      errors.Raise();
      return result;
    } catch (...) {
      errors.Raise();  // what the module would have shown says more than what stopped the work
      throw;
    }
  });
}

bool TApplication::Open(const QString& fileName) {
  return Member([&] { return OpenProject(fileName); });
}

void TApplication::Save(const QString& fileName) {
  Member([&] {
    SaveProject(fileName);
    return true;
  });
}

bool TApplication::Upload() {
  return Member([&] { return UploadSite(); });
}

void TApplication::Build() {
  Member([&] {
    BuildSite();
    return true;
  });
}

QObject* TApplication::Editor() const {
  return Run([&]() -> QObject* { return ForScript(new TEditor(*MainLines)); });
}

QObject* TApplication::Settings() const {
  return Run([&]() -> QObject* { return ForScript(new TSettings(*FTPUploadModule)); });
}

TLineList& TApplication::MainEditorLines() const { return *MainLines; }

// A name given is opened at once, unsaved changes or not.
bool TApplication::OpenProject(const QString& fileName) {
  RequireWindow("Open", fileName);
  return Module->OpenProject(Absolute(fileName));
}

void TApplication::SaveProject(const QString& fileName) {
  RequireWindow("Save", fileName);
  Module->SaveProject(Absolute(fileName));
}

void TApplication::BuildSite() {
  if (!Module->BuildSite()) throw EInkloomError("The site could not be generated.");
}

// Without the message box the Upload command shows: the result says whether the run completed.
bool TApplication::UploadSite() {
  if (!FTPUploadModule || FTPUploadModule->Busy()) return false;
  BuildSite();
  const int outcome = Windowless ? UploadPrinted() : FTPUploadModule->UploadWithProgress(Module->GetOutputFolder());
  return outcome == 0;
}

// The run as --upload shows it: a line per file, then the outcome, all on stderr, which leaves
// stdout to the script.
int TApplication::UploadPrinted() {
  TUploadProgressLines progress(*FTPUploadModule, stderr);
  const int outcome = FTPUploadModule->RunUpload(Module->GetOutputFolder());
  if (outcome == 0 || outcome == -1) Module->SetModified(true);  // the record may have changed
  progress.PrintOutcome(outcome);
  return outcome;
}

void TApplication::RequireWindow(const char* member, const QString& fileName) const {
  if (!Windowless || !fileName.isEmpty()) return;
  throw EInkloomError(QStringLiteral("Application.%1 without a file name asks for one in the window, "
                                     "and a script run by --run-script has no window.")
                          .arg(QLatin1String(member))
                          .toStdString());
}

}  // namespace Automation
