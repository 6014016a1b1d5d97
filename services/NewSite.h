#pragma once

// The new-project wizard: the project's name and folder and a theme to start from. Create
// prepares the folder with its copy of the theme and puts the starting text into the editor,
// names the project and leaves it unsaved; the project file is written by the user's first save.

#include "services/NewSiteProject.h"

#include <QDialog>
#include <QMessageBox>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class TAction;
class TLocalStrings;

class TNewSiteForm : public QDialog {
  Q_OBJECT
 public:
  explicit TNewSiteForm(QWidget* parent = nullptr);

  void CmCreate();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* NameEdit = nullptr;
  QLineEdit* FolderEdit = nullptr;
  QListWidget* ThemeListView = nullptr;
  QCheckBox* PreviewCheckBox = nullptr;
  QPushButton* CreateButton = nullptr;
  TAction* CreateAction = nullptr;
  QObject* FolderDialog = nullptr;
  TLocalStrings* LocalStrings = nullptr;
  QList<TThemeEntry> Themes;
  QString PreviousName;

  void CreateControls();
  QWidget* CreateFields();
  void FormCreate();
  void NameEditChange();
  void BrowseButtonClick();
  void CreateActionUpdate();
  bool MayCreate(const QString& name, const QString& folder, const QString& projectFile);
  QString ReplaceQuestion(const QString& name, const QString& folder, const QString& projectFile) const;
  int ShowMessage(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons);
  QString Text(const QString& key) const;
};
