#pragma once

// The options dialog: the default folder of new projects, the folder of installed themes, and
// whether the welcome dialog greets the next start.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class TLocalStrings;

class TOptionsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TOptionsForm(QWidget* parent = nullptr);

  void OkButtonClick();

 private:
  QLineEdit* ProjectPathEdit = nullptr;
  QLineEdit* ThemesPathEdit = nullptr;
  QCheckBox* WelcomeScreenCheckBox = nullptr;
  class QComboBox* LanguageComboBox = nullptr;
  QObject* BrowseDialog = nullptr;
  TLocalStrings* LocalStrings = nullptr;

  QLineEdit* AddPathRow(class QGridLayout* grid, int row, const char* label, const QString& caption,
                        const char* edit, const char* button);
  void Browse(QLineEdit* edit);
  void AddLanguageRow(QGridLayout* grid, int row);
};
