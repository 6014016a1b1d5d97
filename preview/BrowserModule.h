#pragma once

// The browser module's side of the windows that show web pages: it registers itself when it is
// loaded, or when a program is linked with it, as the tests are.

#include "preview/BrowserWindows.h"

class TBrowserModule : public TBrowserWindows {
 public:
  void ShowPreview(TSSIPreviewModule& module, const QString& protocol, const QString& page) override;
  void ShowHelp(const QString& file) override;

 protected:
  void PrepareEngine() override;
};
