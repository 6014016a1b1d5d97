#include "services/Welcome.h"

#include "app/CommandIcons.h"
#include "app/Model.h"
#include "services/Action.h"
#include "services/FormPicture.h"
#include "services/LocalStrings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TWelcomeForm::TWelcomeForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("WelcomeForm"));
  setWindowTitle(QStringLiteral("Welcome"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(NewFormPicture(this, 314), 0, Qt::AlignTop);
  layout->addWidget(CreateChoices(), 1);
  resize(472, 314);
  LocalStrings = new TLocalStrings(this, objectName());
  LocalStrings->Loaded();
  ShowCheckBox->setChecked(Module->GetShowWelcomeScreen());
}

QWidget* TWelcomeForm::CreateChoices() {
  auto* choices = new QWidget(this);
  auto* column = new QVBoxLayout(choices);
  auto* title = new QLabel(QStringLiteral("Welcome to the Inkloom"), choices);
  title->setObjectName(QStringLiteral("TitleLabel"));
  QFont big = title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  title->setFont(big);
  column->addWidget(title);
  auto* select = new QLabel(QStringLiteral("Please choose one of the following options:"), choices);
  select->setObjectName(QStringLiteral("SelectLabel"));
  column->addWidget(select);
  AddCommandLink(column, "SupportLink", QStringLiteral("help-browser"), "GettingStartedAction");
  AddCommandLink(column, "NewSiteLink", QStringLiteral("document-new"), "NewAction");
  AddCommandLink(column, "OpenLink", QStringLiteral("document-open"), "OpenAction");
  AddCommandLink(column, "HomePageLink", QStringLiteral("go-home"), "HomePageAction");
  AddRecentLinks(column);
  column->addStretch(1);
  ShowCheckBox = new QCheckBox(QStringLiteral("Show This Dialog at Startup"), choices);
  ShowCheckBox->setObjectName(QStringLiteral("ShowCheckBox"));
  auto* close = new QPushButton(QStringLiteral("Close"), choices);
  close->setObjectName(QStringLiteral("CloseButton"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ShowCheckBox, 1);
  bottom->addWidget(close);
  column->addLayout(bottom);
  return choices;
}

QPushButton* TWelcomeForm::AddLink(QLayout* layout, const QString& name, const QString& icon,
                                   const std::function<void()>& run) {
  auto* link = new QPushButton(CommandIcon(icon, QString()), QString(), this);
  link->setObjectName(name);
  link->setFlat(true);
  link->setAutoDefault(false);
  link->setCursor(Qt::PointingHandCursor);
  link->setStyleSheet(QStringLiteral("text-align: left; text-decoration: underline;"));
  connect(link, &QPushButton::clicked, this, [this, run] { RunLink(run); });
  layout->addWidget(link);
  return link;
}

void TWelcomeForm::AddCommandLink(QLayout* layout, const char* name, const QString& icon, const char* action) {
  const QString command = QLatin1String(action);
  AddLink(layout, QLatin1String(name), icon, [command] { Module->Action(command)->Execute(); });
}

void TWelcomeForm::AddRecentLinks(QLayout* layout) {
  const QStringList names = Module->RecentProjects();
  if (names.isEmpty()) return;
  auto* heading = new QLabel(QStringLiteral("Recent projects:"), this);
  heading->setObjectName(QStringLiteral("RecentLabel"));
  layout->addWidget(heading);
  for (int i = 0; i < names.size(); ++i) {
    const QString name = names.at(i);
    QPushButton* link = AddLink(layout, QStringLiteral("RecentLink%1").arg(i + 1), QStringLiteral("text-html"),
                                [name] { Module->OpenRecentProject(name); });
    link->setText(QFileInfo(name).completeBaseName());
    link->setToolTip(QDir::toNativeSeparators(name));
  }
}

void TWelcomeForm::RunLink(const std::function<void()>& run) {
  hide();
  run();
  accept();
}

void TWelcomeForm::done(int result) {
  Module->SetShowWelcomeScreen(ShowCheckBox->isChecked());  // however the dialog closes
  QDialog::done(result);
}
