#include "services/Options.h"

#include "app/InterfaceLanguage.h"
#include "app/LocalFileModel.h"
#include "app/Model.h"
#include "services/LocalStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TOptionsForm::TOptionsForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(QStringLiteral("Options"));
  auto* grid = new QGridLayout(this);
  ProjectPathEdit = AddPathRow(grid, 0, "ProjectPathLabel", QStringLiteral("Default Project Path:"),
                               "ProjectPathEdit", "ProjectPathButton");
  ThemesPathEdit = AddPathRow(grid, 2, "ThemePathLabel", QStringLiteral("Templates Path:"),
                              "ThemesPathEdit", "ThemesPathButton");
  WelcomeScreenCheckBox = new QCheckBox(QStringLiteral("Show Welcome Screen at Startup"), this);
  WelcomeScreenCheckBox->setObjectName(QStringLiteral("WelcomeScreenCheckBox"));
  grid->addWidget(WelcomeScreenCheckBox, 4, 0, 1, 2);
  AddLanguageRow(grid, 5);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OkButton"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 7, 0, 1, 2);
  connect(ok, &QPushButton::clicked, this, &TOptionsForm::OkButtonClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  BrowseDialog = new QObject(this);
  BrowseDialog->setObjectName(QStringLiteral("BrowseDialog"));
  BrowseDialog->setProperty("Title", QStringLiteral("Browse"));
  resize(403, 168);
  LocalStrings = new TLocalStrings(this, objectName());
  LocalStrings->Loaded();
  ProjectPathEdit->setText(Module->GetDefaultProjectPath());
  ThemesPathEdit->setText(Module->GetDefaultThemesPath());
  WelcomeScreenCheckBox->setChecked(Module->GetShowWelcomeScreen());
  LanguageComboBox->setCurrentIndex(LanguageComboBox->findData(Module->GetLanguage()));
}

// Each language is named in itself, so a user finds their own whatever the interface speaks.
void TOptionsForm::AddLanguageRow(QGridLayout* grid, int row) {
  auto* label = new QLabel(QStringLiteral("Interface language:"), this);
  label->setObjectName(QStringLiteral("LanguageLabel"));
  LanguageComboBox = new QComboBox(this);
  LanguageComboBox->setObjectName(QStringLiteral("LanguageComboBox"));
  LanguageComboBox->addItem(QStringLiteral("English"), TInterfaceLanguage::English);
  LanguageComboBox->addItem(QStringLiteral("\u0420\u0443\u0441\u0441\u043a\u0438\u0439"), TInterfaceLanguage::Russian);
  label->setBuddy(LanguageComboBox);
  grid->addWidget(label, row, 0, 1, 2);
  grid->addWidget(LanguageComboBox, row + 1, 0);
}

QLineEdit* TOptionsForm::AddPathRow(QGridLayout* grid, int row, const char* label,
                                    const QString& caption, const char* edit, const char* button) {
  auto* text = new QLabel(caption, this);
  text->setObjectName(QLatin1String(label));
  auto* field = new QLineEdit(this);
  field->setObjectName(QLatin1String(edit));
  field->setMinimumWidth(320);
  text->setBuddy(field);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QLatin1String(button));
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, [this, field] { Browse(field); });
  grid->addWidget(text, row, 0, 1, 2);
  grid->addWidget(field, row + 1, 0);
  grid->addWidget(browse, row + 1, 1);
  return field;
}

void TOptionsForm::Browse(QLineEdit* edit) {
  QFileDialog dialog(this, BrowseDialog->property("Title").toString());
  TLocalFileModel::Install(dialog, Module->GetString(QStringLiteral("FolderType")));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(edit->text());
  const QString chosen = Module->ChooseFile(&dialog);
  if (chosen.isEmpty()) return;
  edit->setText(chosen.endsWith(u'/') ? chosen : chosen + u'/');
}

void TOptionsForm::OkButtonClick() {
  Module->SetDefaultProjectPath(ProjectPathEdit->text());
  Module->SetDefaultThemesPath(ThemesPathEdit->text());
  Module->SetShowWelcomeScreen(WelcomeScreenCheckBox->isChecked());
  accept();
  // At once, for every window and Qt's own texts.
  const int language = LanguageComboBox->currentData().toInt();
  if (language != Module->GetLanguage()) Module->SetLanguage(language);
}
