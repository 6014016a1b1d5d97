#pragma once

// One run of a script against the program's objects, as the script window and --run-script
// make it: Application's members are global names, the main editor's lines are left unwrapped
// while it runs (see TWrapPause), all it writes there is one step for undo, and it can be stopped from any thread, which also cancels an
// upload the script started.

#include "automation/ActiveScript.h"
#include "automation/Application.h"

class TApplicationScript {
 public:
  // windowless: for --run-script, where nothing can be asked (see Automation::TApplication).
  // noMember: how an error names a missing member (see TActiveScript), empty for English.
  explicit TApplicationScript(bool windowless, const QString& noMember = QString());
  ~TApplicationScript();
  TApplicationScript(const TApplicationScript&) = delete;
  TApplicationScript& operator=(const TApplicationScript&) = delete;

  HRESULT Run(const QString& code);
  void Stop();
  const TScriptError& Error() const { return Script.GetError(); }

 private:
  Automation::TApplication Application;
  TActiveScript Script;
};
