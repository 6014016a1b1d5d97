// The preview module's window, kept out of the core library: the module serves the output folder
// without any window; the browser module shows it in one.

#include "preview/BrowserWindows.h"
#include "preview/SSIPreview.h"

void TSSIPreviewModule::ShowPreview(const QString& protocol, const QString& page,
                                    const QString& folder) {
  SetPreviewFolder(folder);
  if (TBrowserWindows* windows = TBrowserWindows::Get()) windows->ShowPreview(*this, protocol, page);
}
