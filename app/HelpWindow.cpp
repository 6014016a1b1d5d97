#include "app/HelpWindow.h"

#include "app/Main.h"
#include "preview/BrowserForm.h"

#include <QPointer>
#include <QUrl>

namespace {

QPointer<TBrowserForm>& Window() {
  static QPointer<TBrowserForm> window;
  return window;
}

}  // namespace

TBrowserForm* THelpWindow::Current() { return Window(); }

void THelpWindow::Show(const QString& file) {
  if (!Window()) {
    Window() = new TBrowserForm(nullptr, MainForm);
    Window()->setAttribute(Qt::WA_DeleteOnClose);
    Window()->setModal(false);
  }
  Window()->Navigate(QUrl::fromLocalFile(file).toString());
  Window()->show();
  Window()->raise();
  Window()->activateWindow();
}
