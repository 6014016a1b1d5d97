// The preview module's window, kept out of the core library: the module serves the output folder
// without any window, this shows it in one.

#include "preview/BrowserForm.h"
#include "preview/PreviewSchemeHandler.h"
#include "preview/SSIPreview.h"

#include <QApplication>
#include <QUrl>
#include <QWebEngineProfile>

void TSSIPreviewModule::ShowPreview(const QString& protocol, const QString& page,
                                    const QString& folder) {
  SetPreviewFolder(folder);
  TBrowserForm form(Settings, QApplication::activeWindow());
  TPreviewSchemeHandler handler(*this);
  const QByteArray scheme = protocol.toLatin1();
  form.Profile()->installUrlSchemeHandler(scheme, &handler);
  Q_EMIT PreviewWindowCreated(&form);
  // "#", "?" and "%" in a page's name are its own characters, not parts of the address.
  form.Navigate(protocol + u':' + QString::fromLatin1(QUrl::toPercentEncoding(page, "/")));
  form.exec();
  form.Profile()->removeUrlSchemeHandler(&handler);
}
