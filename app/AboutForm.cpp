#include "app/AboutForm.h"

#include "app/Model.h"
#include "services/LocalStrings.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("About"));
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(QStringLiteral("<h2>Inkloom</h2>"), this);
  name->setObjectName(QStringLiteral("ProgramLabel"));
  auto* version = new QLabel(this);
  version->setObjectName(QStringLiteral("VersionLabel"));
  auto addLink = [this, layout](const char* objectName, const QString& page) {
    auto* link = new QPushButton(this);
    link->setObjectName(QLatin1String(objectName));
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    // Shown as the links they are, not as plain text.
    link->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; border: none; }"));
    connect(link, &QPushButton::clicked, this, [this, page] {
      accept();  // the guide's window is not to wait behind this box
      Module->ShowGuide(page);
    });
    layout->addWidget(link, 0, Qt::AlignLeft);
  };
  layout->addWidget(name);
  layout->addWidget(version);
  addLink("WebSiteLink", QStringLiteral("about.html"));
  addLink("SupportLink", QStringLiteral("getting-started.html"));
  auto* ok = new QPushButton(this);
  ok->setObjectName(QStringLiteral("OkButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
  LocalStrings = new TLocalStrings(this, QStringLiteral("AboutForm"));
  LocalStrings->Loaded();
  // Wide enough for the whole caption in a window manager's title bar.
  setMinimumWidth(qMax(320, 3 * fontMetrics().horizontalAdvance(windowTitle())));
  version->setText(LocalStrings->GetString(QStringLiteral("Version")).replace(QStringLiteral("%s"), TModule::GetVersion()));
}
