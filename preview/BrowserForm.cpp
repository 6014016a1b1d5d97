#include "preview/BrowserForm.h"

#include "app/CommandIcons.h"
#include "preview/BrowserView.h"
#include "preview/PreviewSchemeHandler.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"

#include <QAction>
#include <QDesktopServices>
#include <QMessageBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kPreviewPosition = QStringLiteral("PreviewPosition");
constexpr int kForwardCommand = 1;
constexpr int kBackCommand = 2;

// A fixed gap between toolbar items.
QWidget* Gap(QWidget* parent, int width) {
  auto* gap = new QWidget(parent);
  gap->setFixedWidth(width);
  return gap;
}

// "preview:about.html", "about:blank" and "http://host/" are taken as they are; "example.org"
// becomes a web address, "/home/me/page.html" a file.
QUrl AddressUrl(const QString& address) {
  const QUrl url(address, QUrl::TolerantMode);
  const bool asTyped = url.scheme() == QLatin1String(TPreviewSchemeHandler::SchemeName) ||
                       url.scheme() == QLatin1String("about") || address.contains(QLatin1String("://"));
  return asTyped ? url : QUrl::fromUserInput(address);
}

}  // namespace

TBrowserForm::TBrowserForm(TConfigFile* settings, QWidget* parent)
    : QDialog(parent), Settings(settings) {
  setObjectName(QStringLiteral("BrowserForm"));
  setWindowTitle(QStringLiteral("Browse"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  resize(670, 480);

  BrowserProfile = new QWebEngineProfile(this);  // no storage name: kept in memory only
  View = new TBrowserView(BrowserProfile, this);
  View->setObjectName(QStringLiteral("Browser"));
  View->SetUserAgent(QStringLiteral("Inkloom120"));
  // A page's window.open() is honoured, and its page shown in this window like a new-window link.
  View->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  CreateToolbar();
  layout->addWidget(Toolbar);
  layout->addWidget(View, 1);
  CreateStatusBar();
  ConnectBrowser();

  LocalStrings = new TLocalStrings(this, objectName());
  LocalStrings->Loaded();
}

TBrowserForm::~TBrowserForm() {
  // The page must go before the profile it was made with.
  delete View;
  View = nullptr;
}

QAction* TBrowserForm::AddAction(const char* name, const QString& caption, const QString& icon,
                                 const QKeySequence& shortcut, void (TBrowserForm::*handler)()) {
  auto* action = new QAction(CommandIcon(icon, caption.left(1)), caption, this);
  action->setObjectName(QLatin1String(name));
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TBrowserForm::CreateToolbar() {
  Toolbar = new QToolBar(this);
  Toolbar->setObjectName(QStringLiteral("Toolbar"));
  Toolbar->setWindowTitle(QStringLiteral("Toolbar"));
  Toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  BackAction = AddAction("BackAction", QStringLiteral("Back"), QStringLiteral("go-previous"),
                         QKeySequence::Back, &TBrowserForm::CmBack);
  ForwardAction = AddAction("ForwardAction", QStringLiteral("Forward"), QStringLiteral("go-next"),
                            QKeySequence::Forward, &TBrowserForm::CmForward);
  RefreshAction = AddAction("RefreshAction", QStringLiteral("Refresh"),
                            QStringLiteral("view-refresh"), QKeySequence::Refresh,
                            &TBrowserForm::CmRefresh);
  Toolbar->addAction(BackAction);
  Toolbar->widgetForAction(BackAction)->setObjectName(QStringLiteral("BackToolbarItem"));
  Toolbar->addAction(ForwardAction);
  Toolbar->widgetForAction(ForwardAction)->setObjectName(QStringLiteral("ForwardToolbarItem"));
  Toolbar->addWidget(Gap(Toolbar, 4));

  auto* label = new QLabel(QStringLiteral("Address:"), Toolbar);
  label->setObjectName(QStringLiteral("AddressLabelItem"));
  Toolbar->addWidget(label);
  AddressEdit = new QLineEdit(Toolbar);
  AddressEdit->setObjectName(QStringLiteral("AddressEditItem"));
  // The address box takes whatever width the other items leave.
  AddressEdit->setMinimumWidth(120);
  AddressEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  label->setBuddy(AddressEdit);
  Toolbar->addWidget(AddressEdit);
  connect(AddressEdit, &QLineEdit::returnPressed, this, &TBrowserForm::AddressEditItemAcceptText);
  Toolbar->addWidget(Gap(Toolbar, 4));
  Toolbar->addAction(RefreshAction);
  Toolbar->widgetForAction(RefreshAction)->setObjectName(QStringLiteral("GoToolbarItem"));
  Toolbar->addWidget(Gap(Toolbar, 4));

  // Ctrl+L and Alt+D put the caret in the address box, as in other browsers.
  auto* focusAddress = new QAction(this);
  focusAddress->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D)});
  connect(focusAddress, &QAction::triggered, this, [this] {
    AddressEdit->setFocus();
    AddressEdit->selectAll();
  });
  addAction(focusAddress);

  // Esc closes the window from the page too, which would otherwise keep the key.
  auto* closeWindow = new QAction(this);
  closeWindow->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(closeWindow, &QAction::triggered, this, &QDialog::reject);
  addAction(closeWindow);
}

void TBrowserForm::CreateStatusBar() {
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  StatusPanel = new QLabel(bar);
  StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
  // The panel is as wide as the bar; a long text is shortened in the middle, not widening it.
  StatusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StatusPanel->installEventFilter(this);
  bar->addWidget(StatusPanel, 1);
  layout()->addWidget(bar);
}

void TBrowserForm::ConnectBrowser() {
  QWebEnginePage* page = View->page();
  for (QWebEnginePage::WebAction command : {QWebEnginePage::Back, QWebEnginePage::Forward})
    connect(page->action(command), &QAction::changed, this, &TBrowserForm::ReportCommandStates);
  connect(View, &QWebEngineView::urlChanged, this, &TBrowserForm::ReportCommandStates);
  connect(View, &QWebEngineView::loadFinished, this, [this](bool ok) {
    ReportCommandStates();
    BrowserDocumentComplete(View->url());
    Q_EMIT DocumentComplete(View->url(), ok);
  });
  connect(View, &QWebEngineView::titleChanged, this, &TBrowserForm::BrowserTitleChange);
  connect(page, &QWebEnginePage::linkHovered, this, &TBrowserForm::BrowserStatusTextChange);
  connect(page, &QWebEnginePage::navigationRequested, this, &TBrowserForm::OpenElsewhere);
}

bool TBrowserForm::ShownHere(const QUrl& url) {
  static const QStringList schemes{QLatin1String(TPreviewSchemeHandler::SchemeName), QStringLiteral("http"),
                                   QStringLiteral("https"), QStringLiteral("file"), QStringLiteral("data"),
                                   QStringLiteral("about"), QStringLiteral("blob"), QStringLiteral("qrc"),
                                   QStringLiteral("javascript")};
  return schemes.contains(url.scheme().toLower());
}

// A link the browser cannot show (mailto: and the like) goes to the desktop's handler for it;
// when there is none, the user is told rather than left with a click that does nothing.
void TBrowserForm::OpenElsewhere(QWebEngineNavigationRequest& request) {
  if (ShownHere(request.url())) return;
  request.reject();
  if (!QDesktopServices::openUrl(request.url()))
    QMessageBox::information(this, windowTitle(),
                             FormatText(LocalStrings->GetString(QStringLiteral("NoHandler")), {request.url().toString()}));
}

void TBrowserForm::Navigate(const QString& address) {
  const QString text = address.trimmed();
  if (text.isEmpty()) return;
  View->setUrl(AddressUrl(text));
}

void TBrowserForm::CmBack() { View->back(); }

void TBrowserForm::CmForward() { View->forward(); }

// A new navigation rather than a reload, so a preview page is served afresh.
void TBrowserForm::CmRefresh() { Navigate(AddressEdit->text()); }

void TBrowserForm::AddressEditItemAcceptText() { Navigate(AddressEdit->text()); }

void TBrowserForm::ReportCommandStates() {
  const QWebEngineHistory* history = View->history();
  BrowserCommandStateChange(kForwardCommand, history->canGoForward());
  BrowserCommandStateChange(kBackCommand, history->canGoBack());
}

void TBrowserForm::BrowserCommandStateChange(int command, bool enabled) {
  if (command == kForwardCommand)
    ForwardAction->setEnabled(enabled);
  else if (command == kBackCommand)
    BackAction->setEnabled(enabled);
}

void TBrowserForm::BrowserDocumentComplete(const QUrl& url) {
  AddressEdit->setText(url.toString());
}

void TBrowserForm::BrowserTitleChange(const QString& title) { setWindowTitle(title); }

void TBrowserForm::BrowserStatusTextChange(const QString& text) {
  StatusText = text;
  ShowStatusText();
}

void TBrowserForm::ShowStatusText() {
  StatusPanel->setText(StatusPanel->fontMetrics().elidedText(StatusText, Qt::ElideMiddle,
                                                             StatusPanel->contentsRect().width()));
  StatusPanel->setToolTip(StatusText);
}

bool TBrowserForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StatusPanel && event->type() == QEvent::Resize) ShowStatusText();
  return QDialog::eventFilter(watched, event);
}

void TBrowserForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TBrowserForm::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TBrowserForm::FormShow() {
  if (Settings) Settings->RestoreWindowPlacement(kGeneral, kPreviewPosition, this);
}

void TBrowserForm::FormClose() {
  if (Settings && isVisible()) Settings->SaveWindowPlacement(kGeneral, kPreviewPosition, this);
}
