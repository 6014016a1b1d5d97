#pragma once

// The upload settings dialog: the project's server, credentials, port and remote folder, passive
// mode and whether only changes are sent. It edits copies: OK stores them into the publishing
// module, Cancel drops them. Test tries the values as they are typed; Files to upload shows
// what the next upload would send. A stored credential the project file holds in a form the
// program does not write is pointed out beside its field.

#include "publish/FTPSettings.h"

#include <QDialog>

class QCheckBox;
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
  void AddUnreadableNote(QVBoxLayout* layout, const char* name, const QString& attribute);
  void AddOptions(QVBoxLayout* layout);
  void AddButtons(QVBoxLayout* layout);
  QPushButton* AddButton(const char* name, void (TFTPUploadSettingsForm::*click)());

  void FormCreate();
  void OkButtonClick();
  void TestButtonClick();
  void FilesButtonClick();
  // The test's outcome in a box owned by the test dialog; nothing after a cancelled test.
  void ShowTestResult(QWidget* testForm);
  // The connection settings as the edits hold them now.
  TFTPSettings EditedSettings() const;

  TLocalStrings* LocalStrings = nullptr;
  QLineEdit* ServerEdit = nullptr;
  QLineEdit* UserNameEdit = nullptr;
  QLineEdit* PasswordEdit = nullptr;
  QLineEdit* PortEdit = nullptr;
  QLineEdit* RemoteRootEdit = nullptr;
  QCheckBox* PassiveModeCheckBox = nullptr;
  QCheckBox* ChangesOnlyCheckBox = nullptr;
  QPushButton* TestButton = nullptr;
  QPushButton* FilesButton = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;
};
