#include "preview/BrowserEngine.h"

#include "preview/PreviewSchemeHandler.h"

#include <QCoreApplication>
#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace {

void DisableSandboxForRoot() {
  if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) return;
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

}  // namespace

void PrepareBrowserEngine() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  TPreviewSchemeHandler::RegisterScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  DisableSandboxForRoot();
}
