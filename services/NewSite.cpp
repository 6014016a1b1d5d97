#include "services/NewSite.h"

#include "app/LocalFileModel.h"
#include "app/Model.h"
#include "publish/FTPUploadModule.h"
#include "services/Action.h"
#include "services/FormPicture.h"
#include "services/LocalStrings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString WithSeparator(QString folder) {
  folder = folder.trimmed();
  return folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\') ? folder : folder + u'/';
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

TNewSiteForm::TNewSiteForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NewSiteForm"));
  setWindowTitle(QStringLiteral("New Project"));
  CreateControls();
  LocalStrings = new TLocalStrings(this, objectName());
  LocalStrings->Loaded();
  FormCreate();
}

void TNewSiteForm::CreateControls() {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(NewFormPicture(this, 313), 0, Qt::AlignTop);
  layout->addWidget(CreateFields(), 1);
  FolderDialog = new QObject(this);
  FolderDialog->setObjectName(QStringLiteral("FolderDialog"));
  FolderDialog->setProperty("Title", QStringLiteral("Project Folder"));
  resize(472, 313);
}

QWidget* TNewSiteForm::CreateFields() {
  auto* fields = new QWidget(this);
  auto* grid = new QGridLayout(fields);
  auto* title = NewLabel(fields, "TitleLabel", QStringLiteral("New Project"));
  QFont big = title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  title->setFont(big);
  grid->addWidget(title, 0, 0, 1, 2);
  NameEdit = new QLineEdit(fields);
  NameEdit->setObjectName(QStringLiteral("NameEdit"));
  grid->addWidget(NewLabel(fields, "NameLabel", QStringLiteral("Project Name:")), 1, 0, 1, 2);
  grid->addWidget(NameEdit, 2, 0, 1, 2);
  FolderEdit = new QLineEdit(fields);
  FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
  auto* browse = new QPushButton(QStringLiteral("Browse..."), fields);
  browse->setObjectName(QStringLiteral("BrowseButton"));
  browse->setAutoDefault(false);
  grid->addWidget(NewLabel(fields, "FolderLabel", QStringLiteral("Project Folder:")), 3, 0, 1, 2);
  grid->addWidget(FolderEdit, 4, 0);
  grid->addWidget(browse, 4, 1);
  ThemeListView = new QListWidget(fields);
  ThemeListView->setObjectName(QStringLiteral("ThemeListView"));
  grid->addWidget(NewLabel(fields, "ThemeLabel", QStringLiteral("Select Project Template:")), 5, 0, 1, 2);
  grid->addWidget(ThemeListView, 6, 0, 1, 2);
  PreviewCheckBox = new QCheckBox(QStringLiteral("AutoPreview"), fields);
  PreviewCheckBox->setObjectName(QStringLiteral("PreviewCheckBox"));
  grid->addWidget(PreviewCheckBox, 7, 0, 1, 2);

  CreateAction = new TAction(this);
  CreateAction->setObjectName(QStringLiteral("CreateAction"));
  CreateAction->SetCaption(QStringLiteral("Create"));
  CreateButton = new QPushButton(fields);
  CreateButton->setObjectName(QStringLiteral("CreateButton"));
  CreateButton->setDefault(true);  // Enter anywhere in the dialog creates, while it may
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), fields);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CreateButton);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 8, 0, 1, 2);

  connect(CreateAction, &QAction::changed, this, [this] {
    CreateButton->setText(CreateAction->text());
    CreateButton->setEnabled(CreateAction->isEnabled());
  });
  CreateButton->setText(CreateAction->text());
  connect(CreateButton, &QPushButton::clicked, CreateAction, &QAction::trigger);
  CreateAction->SetOnExecute(TNotifyEvent::FromFunction([this](QObject*) { CmCreate(); }));
  CreateAction->SetOnUpdate(TNotifyEvent::FromFunction([this](QObject*) { CreateActionUpdate(); }));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, &TNewSiteForm::BrowseButtonClick);
  connect(NameEdit, &QLineEdit::textChanged, this, &TNewSiteForm::NameEditChange);
  connect(ThemeListView, &QListWidget::currentRowChanged, this, &TNewSiteForm::CreateActionUpdate);
  // Enter in any field creates (while Create may run), before the field itself sees the key.
  for (QWidget* field : std::initializer_list<QWidget*>{NameEdit, FolderEdit, ThemeListView, PreviewCheckBox})
    field->installEventFilter(this);
  connect(PreviewCheckBox, &QCheckBox::toggled, this, [](bool on) { Module->SetPreviewNewProject(on); });
  return fields;
}

bool TNewSiteForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  CreateAction->trigger();
  return true;
}

void TNewSiteForm::FormCreate() {
  const QString language = Module->GetLanguage() == 1049 ? QStringLiteral("ru") : QStringLiteral("en");
  Themes = TNewSiteProject::ListThemes(Module->GetDefaultThemesPath(), TModule::GetThemeExtension(), language);
  for (const TThemeEntry& theme : Themes) ThemeListView->addItem(theme.Caption);
  if (!Themes.isEmpty()) ThemeListView->setCurrentRow(0);
  FolderEdit->setText(WithSeparator(Module->GetDefaultProjectPath()));
  PreviewCheckBox->setChecked(Module->GetPreviewNewProject());
  CreateActionUpdate();
}

void TNewSiteForm::NameEditChange() {
  const QString name = NameEdit->text().trimmed();
  FolderEdit->setText(TNewSiteProject::FollowName(FolderEdit->text(), PreviousName, name));
  PreviousName = name;
  CreateActionUpdate();
}

void TNewSiteForm::BrowseButtonClick() {
  QFileDialog dialog(this, FolderDialog->property("Title").toString());
  TLocalFileModel::Install(dialog, Module->GetString(QStringLiteral("FolderType")));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(WithSeparator(FolderEdit->text()));
  const QString chosen = Module->ChooseFile(&dialog);
  if (!chosen.isEmpty()) FolderEdit->setText(WithSeparator(chosen));
}

void TNewSiteForm::CreateActionUpdate() {
  CreateAction->setEnabled(!NameEdit->text().trimmed().isEmpty() && ThemeListView->currentRow() >= 0);
}

QString TNewSiteForm::Text(const QString& key) const { return LocalStrings->GetString(key); }

// A message box of the wizard's own; No is the default of a question, so that Enter keeps what
// is on disk.
int TNewSiteForm::ShowMessage(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, windowTitle(), text, buttons, this);
  box.setObjectName(QStringLiteral("WizardMessage"));
  if (buttons.testFlag(QMessageBox::No)) box.setDefaultButton(QMessageBox::No);
  return Module->RunDialog ? Module->RunDialog(&box) : box.exec();
}

// The question to ask before Create replaces something, empty when nothing is in the way. The
// template folder is the theme of every project file beside it, so those projects are named.
QString TNewSiteForm::ReplaceQuestion(const QString& name, const QString& folder,
                                      const QString& projectFile) const {
  QStringList others = TNewSiteProject::ProjectsIn(folder, TModule::GetProjectExtension());
  others.removeAll(name);
  if (!others.isEmpty())
    return FormatText(Text(QStringLiteral("ThemeOfOtherProject")),
                      {folder, u'"' + others.join(QStringLiteral("\", \"")) + u'"'});
  if (QFileInfo::exists(projectFile)) return FormatText(Text(QStringLiteral("ProjectAlreadyExists")), {name});
  if (QFileInfo::exists(folder + QStringLiteral("template")))
    return FormatText(Text(QStringLiteral("TemplateFolderExists")), {folder});
  return QString();
}

// Refused fields get a message; what would be replaced only when the user says so.
bool TNewSiteForm::MayCreate(const QString& name, const QString& folder, const QString& projectFile) {
  const QString refusal = TNewSiteProject::Refusal(name, folder);
  if (!refusal.isEmpty()) {
    ShowMessage(QMessageBox::Warning, Text(refusal), QMessageBox::Ok);
    return false;
  }
  const QString question = ReplaceQuestion(name, folder, projectFile);
  return question.isEmpty() ||
         ShowMessage(QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TNewSiteForm::CmCreate() {
  if (!CreateAction->isEnabled()) return;
  const QString name = NameEdit->text().trimmed();
  const QString folder = WithSeparator(FolderEdit->text());
  const QString projectFile = folder + name + TModule::GetProjectExtension();
  if (!MayCreate(name, folder, projectFile)) return;
  QString text = TNewSiteProject::PrepareFolder(folder, Themes.value(ThemeListView->currentRow()),
                                                Module->GetDefaultThemesPath(), TModule::GetThemeExtension());
  if (text.isEmpty())
    text = TNewSiteProject::StartingText(name, Text(QStringLiteral("DefaultPageTitle")),
                                         Text(QStringLiteral("DefaultPageContent")))
               .join(QStringLiteral("\r\n"));
  Module->SetText(text);
  Module->SetModified(true);
  Module->ContentChanged = true;
  Module->SetFileName(QDir::cleanPath(projectFile));
  if (FTPUploadModule) FTPUploadModule->StartNewProject();
  accept();
}
