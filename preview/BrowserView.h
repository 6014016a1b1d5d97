#pragma once

#include <QWebEngineView>

class QWebEngineProfile;

// The preview window's embedded browser. Links and scripts that would open another window open
// their page in this one, and the user agent it sends is a property the text table sets.
class TBrowserView : public QWebEngineView {
  Q_OBJECT
  Q_PROPERTY(QString UserAgent READ UserAgent WRITE SetUserAgent)
 public:
  TBrowserView(QWebEngineProfile* profile, QWidget* parent);

  QString UserAgent() const;
  void SetUserAgent(const QString& agent);

 protected:
  QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;
};
