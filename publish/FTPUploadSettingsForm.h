#pragma once

// The upload settings dialog: the project's protocol, server, credentials, port and remote
// folder, passive mode and whether only changes are sent. It edits copies: OK stores them into
// the publishing module, Cancel drops them. Test tries the values as they are typed and offers
// to trust a server's unknown certificate (kept with the settings) or unknown host key (added
// to known_hosts at once); Files to upload shows what the next upload would send. A stored
// credential the project file holds in a form the program does not write is pointed out beside
// its field.

#include "publish/FTPSettings.h"
#include "publish/TransferProtocol.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class TLocalStrings;

class TFTPUploadSettingsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TFTPUploadSettingsForm(QWidget* parent = nullptr);

 private:
  void AddField(QVBoxLayout* layout, const char* labelName, QLineEdit*& edit, const char* editName);
  void AddLabel(QVBoxLayout* layout, const char* name, QWidget* buddy);
  void AddProtocolField(QVBoxLayout* layout);
  void AddUnreadableNote(QVBoxLayout* layout, const char* name, const QString& attribute);
  void AddOptions(QVBoxLayout* layout);
  void AddButtons(QVBoxLayout* layout);
  QPushButton* AddButton(const char* name, void (TFTPUploadSettingsForm::*click)());

  void FormCreate();
  void OkButtonClick();
  void TestButtonClick();
  void FilesButtonClick();
  // The port follows the protocol's standard one unless the user typed another.
  void ProtocolComboBoxChange();
  void CheckPasswordDestination();
  // The choice of the keyring, where one runs, and the note of where the password is kept.
  void AddKeyringChoice(QVBoxLayout* layout);
  void ShowPasswordPlace();
  QString EditedProtocol() const;
  void ShowProtocol(const QString& protocol);
  // What depends on the protocol: the standard port, passive mode (no such thing in SFTP).
  void Follow(TTransferProtocol::TKind kind);
  // The test's outcome in a box owned by the test dialog; nothing after a cancelled test.
  void ShowTestResult(QWidget* testForm);
  // After a test that met a certificate or host key nobody trusts yet: asks whether to trust it
  // and, when the user does, tests again. False for other outcomes.
  bool OfferTrust(QWidget* testForm);
  // The cause, the fingerprint and the question; whether the user answered Yes.
  bool AskTrust(QWidget* testForm, const QString& cause, const QString& question);
  void TrustCertificate(QWidget* testForm);
  void TrustHostKey(QWidget* testForm);
  // The table's text of key with its placeholders filled in.
  QString Message(const char* key, const QStringList& args = {}) const;
  // The connection settings as the edits hold them now.
  TFTPSettings EditedSettings() const;

  TLocalStrings* LocalStrings = nullptr;
  QComboBox* ProtocolComboBox = nullptr;
  uint16_t ShownStandardPort = 21;
  QString TrustedCertificate;  // the copy OK stores
  QLineEdit* ServerEdit = nullptr;
  QLineEdit* UserNameEdit = nullptr;
  QLineEdit* PasswordEdit = nullptr;
  QLabel* PasswordMovedLabel = nullptr;
  QCheckBox* KeyringCheckBox = nullptr;
  QLabel* PasswordPlaceLabel = nullptr;
  bool KeyringRuns = false;
  bool PasswordTyped = false;          // the user gave a password of their own
  bool ShowingStoredPassword = false;  // the form itself is filling the field
  QLineEdit* PortEdit = nullptr;
  QLineEdit* RemoteRootEdit = nullptr;
  QCheckBox* PassiveModeCheckBox = nullptr;
  QCheckBox* ChangesOnlyCheckBox = nullptr;
  QPushButton* TestButton = nullptr;
  QPushButton* FilesButton = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;
};
