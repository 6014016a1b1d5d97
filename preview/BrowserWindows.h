#pragma once

// The windows that show web pages: the preview and the guide. They need the browser engine,
// whose libraries take more memory than the rest of the program together, so they live in a
// module of their own, inkloom-browser.so beside the windows program. The editor loads it at
// start; a script run from the command line, which shows no window, never does.

#include <QString>

class TSSIPreviewModule;

class TBrowserWindows {
 public:
  virtual ~TBrowserWindows() = default;

  // Shows the page of the module's folder in the preview window until the user closes it.
  virtual void ShowPreview(TSSIPreviewModule& module, const QString& protocol, const QString& page) = 0;
  // Shows a local page of the guide in its own window, beside the editor.
  virtual void ShowHelp(const QString& file) = 0;

  // Loads the module, unless a program linked with it has it already, and prepares the browser
  // engine: before the application object exists, as the engine asks. False when it cannot be
  // loaded; LoadError() then says why.
  static bool Load();
  static const QString& LoadError();
  // The windows, or null when the module is not loaded.
  static TBrowserWindows* Get();
  // The module hands itself over as it is loaded.
  static void Register(TBrowserWindows* windows);

 protected:
  // The engine's start-up needs, met once before the application object exists.
  virtual void PrepareEngine() = 0;
};
