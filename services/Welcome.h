#pragma once

// The welcome dialog at start-up: getting started, a new project, an existing one, or the
// program's home page.

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;
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
  QPushButton* AddLink(QLayout* layout, const QString& name, const QString& icon, const std::function<void()>& run);
  void AddCommandLink(QLayout* layout, const char* name, const QString& icon, const char* action);
  // The projects opened last, under their heading, when there are any.
  void AddRecentLinks(QLayout* layout);
  // Hides the dialog, runs the command while the dialog's modal run lasts, then ends it.
  void RunLink(const std::function<void()>& run);
};
