#include "preview/BrowserModule.h"

#include "app/HelpWindow.h"
#include "preview/BrowserEngine.h"
#include "preview/BrowserForm.h"
#include "preview/PreviewSchemeHandler.h"
#include "preview/SSIPreview.h"

#include <QApplication>
#include <QUrl>
#include <QWebEngineProfile>

namespace {

TBrowserModule Windows;
const bool Registered = (TBrowserWindows::Register(&Windows), true);

}  // namespace

void TBrowserModule::ShowPreview(TSSIPreviewModule& module, const QString& protocol, const QString& page) {
  TBrowserForm form(module.GetSettings(), QApplication::activeWindow());
  TPreviewSchemeHandler handler(module);
  const QByteArray scheme = protocol.toLatin1();
  form.Profile()->installUrlSchemeHandler(scheme, &handler);
  Q_EMIT module.PreviewWindowCreated(&form);
  // "#", "?" and "%" in a page's name are its own characters, not parts of the address.
  form.Navigate(protocol + u':' + QString::fromLatin1(QUrl::toPercentEncoding(page, "/")));
  form.exec();
  form.Profile()->removeUrlSchemeHandler(&handler);
}

void TBrowserModule::ShowHelp(const QString& file) { THelpWindow::Show(file); }

void TBrowserModule::PrepareEngine() { PrepareBrowserEngine(); }
