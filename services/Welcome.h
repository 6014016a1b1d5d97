#pragma once

// The welcome dialog at start-up: getting started, a new project, an existing one, or the
// program's home page.

#include <QDialog>

class QCheckBox;
class TLocalStrings;

class TWelcomeForm : public QDialog {
  Q_OBJECT
 public:
  explicit TWelcomeForm(QWidget* parent = nullptr);

 protected:
  void done(int result) override;

 private:
  QCheckBox* ShowCheckBox = nullptr;
  TLocalStrings* LocalStrings = nullptr;

  QWidget* CreateChoices();
  void AddLink(QLayout* layout, const char* name, const QString& icon, const char* action);
  // Hides the dialog, runs the command while the dialog's modal run lasts, then ends it.
  void RunLink(const QString& action);
};
