#include "preview/BrowserWindows.h"

#include <QFileInfo>
#include <QLibrary>

namespace {

TBrowserWindows* Registered = nullptr;
QString LoadProblem;

// Beside the running program: found without the application object, which does not exist yet.
QString ModulePath() {
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/inkloom-browser.so");
}

}  // namespace

bool TBrowserWindows::Load() {
  if (!Registered) {
    QLibrary library(ModulePath());
    // Every symbol it needs from the program is looked up now: a missing one fails here, with a
    // message, not later in a crash.
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library.load()) LoadProblem = library.errorString();
    else if (!Registered) LoadProblem = library.fileName() + QStringLiteral(": not the browser module");
  }
  if (Registered) Registered->PrepareEngine();
  return Registered != nullptr;
}

const QString& TBrowserWindows::LoadError() { return LoadProblem; }

TBrowserWindows* TBrowserWindows::Get() { return Registered; }

void TBrowserWindows::Register(TBrowserWindows* windows) { Registered = windows; }
