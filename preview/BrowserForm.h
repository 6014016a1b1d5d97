#pragma once

// The preview window: an embedded browser under a toolbar with Back, Forward, the address box and
// Go, and a status bar showing the address of the link under the mouse. The caption follows the
// shown document's title. Its placement is kept in the settings between previews.

#include <QDialog>
#include <QKeySequence>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QToolBar;
class QUrl;
class QWebEngineProfile;
class TBrowserView;
class TConfigFile;
class TLocalStrings;

class TBrowserForm : public QDialog {
  Q_OBJECT
 public:
  // settings may be null: the placement is then neither restored nor kept.
  TBrowserForm(TConfigFile* settings, QWidget* parent = nullptr);
  ~TBrowserForm() override;

  // A private profile: nothing the preview loads is cached, stored or shared with other windows.
  QWebEngineProfile* Profile() const { return BrowserProfile; }
  TBrowserView* Browser() const { return View; }

  // A new navigation to the text as typed; empty or blank text does nothing.
  void Navigate(const QString& address);

  // The browser's events: command 1 is going forward, 2 going back.
  void BrowserCommandStateChange(int command, bool enabled);
  void BrowserDocumentComplete(const QUrl& url);
  void BrowserTitleChange(const QString& title);
  void BrowserStatusTextChange(const QString& text);

 Q_SIGNALS:
  // A document finished loading (ok false: it could not be shown).
  void DocumentComplete(const QUrl& url, bool ok);

 public Q_SLOTS:
  void CmBack();
  void CmForward();
  void CmRefresh();
  void AddressEditItemAcceptText();
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TConfigFile* Settings;
  TLocalStrings* LocalStrings = nullptr;
  QWebEngineProfile* BrowserProfile = nullptr;
  TBrowserView* View = nullptr;
  QToolBar* Toolbar = nullptr;
  QAction* BackAction = nullptr;
  QAction* ForwardAction = nullptr;
  QAction* RefreshAction = nullptr;
  QLineEdit* AddressEdit = nullptr;
  QLabel* StatusPanel = nullptr;
  QString StatusText;

  QAction* AddAction(const char* name, const QString& caption, const QString& icon,
                     const QKeySequence& shortcut, void (TBrowserForm::*handler)());
  void CreateToolbar();
  void CreateStatusBar();
  void ConnectBrowser();
  static bool ShownHere(const QUrl& url);
  void OpenElsewhere(class QWebEngineNavigationRequest& request);
  // Asks the browser's history whether going back and forward are possible now.
  void ReportCommandStates();
  void ShowStatusText();
  void FormShow();
  void FormClose();
};
