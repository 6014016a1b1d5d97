#include "preview/BrowserView.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

TBrowserView::TBrowserView(QWebEngineProfile* profile, QWidget* parent) : QWebEngineView(parent) {
  setPage(new QWebEnginePage(profile, this));
}

QString TBrowserView::UserAgent() const { return page()->profile()->httpUserAgent(); }

void TBrowserView::SetUserAgent(const QString& agent) { page()->profile()->setHttpUserAgent(agent); }

QWebEngineView* TBrowserView::createWindow(QWebEnginePage::WebWindowType) { return this; }
