#include "publish/FTPUploadSettingsForm.h"

#include "app/Model.h"
#include "publish/FTPUploadModule.h"
#include "publish/FTPUploadPlanForm.h"
#include "publish/FTPUploadTestForm.h"
#include "publish/KnownHosts.h"
#include "services/LocalStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kUserName = QStringLiteral("FTPUserName");
const QString kPassword = QStringLiteral("FTPPassword");

// A credential typed in again is the user's own: the unreadable one of the file is gone.
void StoreCredential(const QLineEdit* edit, QString& value, const QString& attribute) {
  if (edit->text() != value) FTPUploadModule->UnreadableCredentials.removeAll(attribute);
  value = edit->text();
}

// The box of each test outcome: 0 success, 1 no log-in, 2 folder not entered.
struct TTestMessage {
  const char* Key;
  QMessageBox::Icon Icon;
};

constexpr TTestMessage kTestMessages[] = {
    {"TestOk", QMessageBox::Information},
    {"TestFailed", QMessageBox::Critical},
    {"TestInvalidRoot", QMessageBox::Warning},
};

// The port's caption names the chosen protocol's standard port ("22 - SFTP default port").
void ShowPortCaption(QLabel* label, const TLocalStrings* strings, TTransferProtocol::TKind kind) {
  if (!label || !strings) return;
  label->setText(FormatText(strings->GetString(QStringLiteral("PortCaption")),
                            {QString::number(TTransferProtocol::StandardPort(kind)),
                             TTransferProtocol::Name(kind).toUpper()}));
}

}  // namespace

TFTPUploadSettingsForm::TFTPUploadSettingsForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FTPUploadSettingsForm"));
  setWindowTitle(QStringLiteral("Upload Settings"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  AddProtocolField(layout);
  AddField(layout, "ServerLabel", ServerEdit, "ServerEdit");
  AddField(layout, "UserNameLabel", UserNameEdit, "UserNameEdit");
  AddUnreadableNote(layout, "UserNameUnreadableLabel", kUserName);
  AddField(layout, "PasswordLabel", PasswordEdit, "PasswordEdit");
  PasswordEdit->setEchoMode(QLineEdit::Password);
  AddUnreadableNote(layout, "PasswordUnreadableLabel", kPassword);
  PasswordMovedLabel = new QLabel(this);
  PasswordMovedLabel->setObjectName(QStringLiteral("PasswordMovedLabel"));
  PasswordMovedLabel->setWordWrap(true);
  layout->addWidget(PasswordMovedLabel);
  AddKeyringChoice(layout);
  AddField(layout, "PortLabel", PortEdit, "PortEdit");
  PortEdit->setFixedWidth(100);
  AddField(layout, "RemoteRootLabel", RemoteRootEdit, "RemoteRootEdit");
  AddOptions(layout);
  AddButtons(layout);
  LocalStrings = new TLocalStrings(this, QStringLiteral("FTPUploadSettingsForm"));
  LocalStrings->Loaded();
  FormCreate();
  connect(ProtocolComboBox, &QComboBox::currentIndexChanged, this,
          &TFTPUploadSettingsForm::ProtocolComboBoxChange);
  connect(PasswordEdit, &QLineEdit::textChanged, this, [this] { PasswordTyped = PasswordTyped || !ShowingStoredPassword; });
  for (QLineEdit* edit : {ServerEdit, PortEdit})
    connect(edit, &QLineEdit::textChanged, this, &TFTPUploadSettingsForm::CheckPasswordDestination);
  // A new language sets the table's caption of the port: it names the chosen protocol again.
  connect(LocalStrings, &TLocalStrings::OnLocalize, this, [this] {
    TTransferProtocol::TKind kind = TTransferProtocol::tpFTP;
    TTransferProtocol::FromName(EditedProtocol(), kind);
    ShowPortCaption(findChild<QLabel*>(QStringLiteral("PortLabel")), LocalStrings, kind);
  });
}

void TFTPUploadSettingsForm::AddField(QVBoxLayout* layout, const char* labelName, QLineEdit*& edit,
                                      const char* editName) {
  edit = new QLineEdit(this);
  edit->setObjectName(QLatin1String(editName));
  AddLabel(layout, labelName, edit);
  layout->addWidget(edit, 0, Qt::AlignLeft);
  edit->setMinimumWidth(300);
}

void TFTPUploadSettingsForm::AddLabel(QVBoxLayout* layout, const char* name, QWidget* buddy) {
  auto* label = new QLabel(this);
  label->setObjectName(QLatin1String(name));
  label->setBuddy(buddy);
  layout->addWidget(label);
}

// The items in the order of TTransferProtocol's kinds; the table gives their texts.
void TFTPUploadSettingsForm::AddProtocolField(QVBoxLayout* layout) {
  ProtocolComboBox = new QComboBox(this);
  ProtocolComboBox->setObjectName(QStringLiteral("ProtocolComboBox"));
  ProtocolComboBox->addItems(
      {QStringLiteral("FTP"), QStringLiteral("FTPS (FTP over TLS)"), QStringLiteral("SFTP (SSH)")});
  AddLabel(layout, "ProtocolLabel", ProtocolComboBox);
  layout->addWidget(ProtocolComboBox, 0, Qt::AlignLeft);
}

void TFTPUploadSettingsForm::AddUnreadableNote(QVBoxLayout* layout, const char* name,
                                               const QString& attribute) {
  auto* note = new QLabel(this);
  note->setObjectName(QLatin1String(name));
  note->setWordWrap(true);
  note->setVisible(FTPUploadModule->UnreadableCredentials.contains(attribute));
  layout->addWidget(note);
}

// The check boxes, with the buttons that look at the settings on their right.
void TFTPUploadSettingsForm::AddOptions(QVBoxLayout* layout) {
  PassiveModeCheckBox = new QCheckBox(this);
  PassiveModeCheckBox->setObjectName(QStringLiteral("PassiveModeCheckBox"));
  ChangesOnlyCheckBox = new QCheckBox(this);
  ChangesOnlyCheckBox->setObjectName(QStringLiteral("ChangesOnlyCheckBox"));
  TestButton = AddButton("TestButton", &TFTPUploadSettingsForm::TestButtonClick);
  FilesButton = AddButton("FilesButton", &TFTPUploadSettingsForm::FilesButtonClick);
  auto* options = new QGridLayout;
  options->addWidget(PassiveModeCheckBox, 0, 0);
  options->addWidget(ChangesOnlyCheckBox, 1, 0);
  options->addWidget(TestButton, 0, 1);
  options->addWidget(FilesButton, 1, 1);
  layout->addLayout(options);
}

void TFTPUploadSettingsForm::AddButtons(QVBoxLayout* layout) {
  OkButton = AddButton("OkButton", &TFTPUploadSettingsForm::OkButtonClick);
  OkButton->setDefault(true);
  CancelButton = AddButton("CancelButton", &TFTPUploadSettingsForm::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  layout->addLayout(buttons);
}

QPushButton* TFTPUploadSettingsForm::AddButton(const char* name,
                                               void (TFTPUploadSettingsForm::*click)()) {
  auto* button = new QPushButton(this);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, click);
  return button;
}

void TFTPUploadSettingsForm::FormCreate() {
  const TFTPUploadModule& module = *FTPUploadModule;
  ShowProtocol(module.Protocol());
  TrustedCertificate = module.TrustedCertificate;
  ServerEdit->setText(module.FTPServer);
  UserNameEdit->setText(module.FTPUserName);
  PasswordEdit->setText(module.FTPPassword);
  PortEdit->setText(module.FTPPort);
  RemoteRootEdit->setText(module.FTPRemoteRoot);
  PassiveModeCheckBox->setChecked(module.FTPPassiveMode);
  ChangesOnlyCheckBox->setChecked(module.UploadChangesOnly);
  CheckPasswordDestination();
  ShowPasswordPlace();
}

void TFTPUploadSettingsForm::AddKeyringChoice(QVBoxLayout* layout) {
  KeyringRuns = FTPUploadModule->KeyringAvailable();
  KeyringCheckBox = new QCheckBox(this);
  KeyringCheckBox->setObjectName(QStringLiteral("KeyringCheckBox"));
  KeyringCheckBox->setChecked(KeyringRuns && FTPUploadModule->PasswordInKeyring);
  KeyringCheckBox->setVisible(KeyringRuns);
  layout->addWidget(KeyringCheckBox);
  PasswordPlaceLabel = new QLabel(this);
  PasswordPlaceLabel->setObjectName(QStringLiteral("PasswordPlaceLabel"));
  PasswordPlaceLabel->setWordWrap(true);
  layout->addWidget(PasswordPlaceLabel);
  connect(KeyringCheckBox, &QCheckBox::toggled, this, &TFTPUploadSettingsForm::ShowPasswordPlace);
}

void TFTPUploadSettingsForm::ShowPasswordPlace() {
  const char* key = !KeyringRuns ? "NoKeyring" : KeyringCheckBox->isChecked() ? "PasswordInKeyring" : "PasswordInFile";
  PasswordPlaceLabel->setText(Message(key));
}

// The stored password goes only to the protocol, server and port it was entered for: for any
// other it is not shown, and the note asks for it again.
void TFTPUploadSettingsForm::CheckPasswordDestination() {
  if (PasswordTyped || !PasswordMovedLabel) return;
  const TFTPUploadModule& module = *FTPUploadModule;
  const bool moved = !module.FTPPassword.isEmpty() &&
                     !module.PasswordServes(EditedProtocol(), ServerEdit->text(), PortEdit->text());
  ShowingStoredPassword = true;
  PasswordEdit->setText(moved ? QString() : module.FTPPassword);
  ShowingStoredPassword = false;
  PasswordMovedLabel->setVisible(moved);
}

// Stored as typed: an empty server or a port that is no number fail when they are used.
void TFTPUploadSettingsForm::OkButtonClick() {
  TFTPUploadModule& module = *FTPUploadModule;
  module.FTPServer = ServerEdit->text();
  StoreCredential(UserNameEdit, module.FTPUserName, kUserName);
  StoreCredential(PasswordEdit, module.FTPPassword, kPassword);
  if (PasswordTyped) module.SetPassword(PasswordEdit->text());
  module.PasswordInKeyring = KeyringCheckBox->isChecked();
  module.FTPPort = PortEdit->text();
  module.FTPRemoteRoot = RemoteRootEdit->text();
  module.FTPPassiveMode = PassiveModeCheckBox->isChecked();
  module.UploadChangesOnly = ChangesOnlyCheckBox->isChecked();
  module.SetProtocol(EditedProtocol());
  module.TrustedCertificate = TrustedCertificate;
  accept();
}

void TFTPUploadSettingsForm::ShowProtocol(const QString& protocol) {
  TTransferProtocol::TKind kind = TTransferProtocol::tpFTP;
  if (TTransferProtocol::FromName(protocol, kind)) {
    ProtocolComboBox->setCurrentIndex(kind);
  } else {
    // A protocol of a later version stays as the file names it.
    ProtocolComboBox->addItem(protocol);
    ProtocolComboBox->setCurrentIndex(ProtocolComboBox->count() - 1);
  }
  Follow(kind);
}

QString TFTPUploadSettingsForm::EditedProtocol() const {
  const int index = ProtocolComboBox->currentIndex();
  if (index > TTransferProtocol::tpSFTP) return ProtocolComboBox->currentText();
  return TTransferProtocol::Name(static_cast<TTransferProtocol::TKind>(index));
}

void TFTPUploadSettingsForm::ProtocolComboBoxChange() {
  TTransferProtocol::TKind kind;
  if (!TTransferProtocol::FromName(EditedProtocol(), kind)) return;
  const QString port = TTransferProtocol::FollowingPort(PortEdit->text(), ShownStandardPort, kind);
  if (port != PortEdit->text()) PortEdit->setText(port);
  Follow(kind);
  CheckPasswordDestination();
}

void TFTPUploadSettingsForm::Follow(TTransferProtocol::TKind kind) {
  ShownStandardPort = TTransferProtocol::StandardPort(kind);
  ShowPortCaption(findChild<QLabel*>(QStringLiteral("PortLabel")), LocalStrings, kind);
  PassiveModeCheckBox->setEnabled(kind != TTransferProtocol::tpSFTP);
}

TFTPSettings TFTPUploadSettingsForm::EditedSettings() const {
  TFTPSettings settings;
  settings.Protocol = EditedProtocol();
  settings.TrustedCertificate = TrustedCertificate;
  settings.Server = ServerEdit->text();
  settings.UserName = UserNameEdit->text();
  settings.Password = PasswordEdit->text();
  settings.Port = PortEdit->text();
  settings.RemoteRoot = RemoteRootEdit->text();
  return settings;
}

void TFTPUploadSettingsForm::TestButtonClick() {
  FTPUploadModule->Timeout = 15000;
  if (!FTPUploadModule->StartTest(EditedSettings())) return;  // a job still runs
  TFTPUploadTestForm test(this);
  test.exec();
  ShowTestResult(&test);
}

// The cause the test met comes first, then what to do about it.
void TFTPUploadSettingsForm::ShowTestResult(QWidget* testForm) {
  const int result = FTPUploadModule->TestResult;
  if (result < 0 || result > 2 || OfferTrust(testForm)) return;
  QString text = LocalStrings->GetString(QLatin1String(kTestMessages[result].Key));
  if (result != 0)
    text =
        FTPUploadModule->Report().Outcome(result, FTPUploadModule->TestError, EditedSettings(), 0) +
        QStringLiteral("\n\n") + text;
  QMessageBox box(kTestMessages[result].Icon, testForm->windowTitle(), text, QMessageBox::Ok,
                  testForm);
  box.exec();
  if (result == 2) RemoteRootEdit->setText(FTPUploadModule->TestRoot);
}

bool TFTPUploadSettingsForm::OfferTrust(QWidget* testForm) {
  const TFTPError& why = FTPUploadModule->TestError;
  if (FTPUploadModule->TestResult != 1) return false;
  if (why.Kind == TFTPError::feCertificateUntrusted) {
    TrustCertificate(testForm);
    return true;
  }
  // A changed host key is never offered: it is reported as the failure it may well be.
  if (why.Kind != TFTPError::feHostKeyUnknown || why.HostKeyEntry.empty()) return false;
  TrustHostKey(testForm);
  return true;
}

bool TFTPUploadSettingsForm::AskTrust(QWidget* testForm, const QString& cause,
                                      const QString& question) {
  const QString fingerprint = QString::fromStdString(FTPUploadModule->TestError.Fingerprint);
  QMessageBox box(QMessageBox::Warning, testForm->windowTitle(),
                  cause + QStringLiteral("\n\n") + fingerprint + QStringLiteral("\n\n") + question,
                  QMessageBox::Yes | QMessageBox::No, testForm);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

// Trusted for this project once OK stores the settings; tried at once.
void TFTPUploadSettingsForm::TrustCertificate(QWidget* testForm) {
  const TFTPError why = FTPUploadModule->TestError;
  const QString reason = QString::fromStdString(why.Detail);
  if (!AskTrust(testForm, Message("CertificateUntrusted", {reason}), Message("TrustCertificate")))
    return;
  TrustedCertificate = QString::fromStdString(why.Fingerprint);
  TestButtonClick();
}

// Added to known_hosts at once, as OpenSSH does: every program of the user's trusts it then.
void TFTPUploadSettingsForm::TrustHostKey(QWidget* testForm) {
  const TFTPError why = FTPUploadModule->TestError;
  const QString path = QString::fromStdString(TKnownHosts::Path());
  if (!AskTrust(testForm, Message("HostKeyUnknown"), Message("TrustHostKey", {path}))) return;
  std::string failure;
  if (TKnownHosts::Add(why.HostKeyEntry, failure)) {
    TestButtonClick();
    return;
  }
  QMessageBox box(QMessageBox::Critical, testForm->windowTitle(),
                  Message("KnownHostsFailed", {path, QString::fromStdString(failure)}),
                  QMessageBox::Ok, testForm);
  box.exec();
}

QString TFTPUploadSettingsForm::Message(const char* key, const QStringList& args) const {
  return FormatText(LocalStrings->GetString(QLatin1String(key)), args);
}

// The plan by the check box as it stands: what the next upload sends once OK keeps it.
void TFTPUploadSettingsForm::FilesButtonClick() {
  if (!Module->BuildSite()) return;
  TUploadPlan plan(Module->GetOutputFolder(), FTPUploadModule->UploadedFiles,
                   ChangesOnlyCheckBox->isChecked());
  plan.Make();
  TFTPUploadPlanForm(plan, this).exec();
}
