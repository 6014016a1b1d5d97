#pragma once

#include <QDialog>

class TLocalStrings;

// The About box: the program's name, its version and links to the user guide's pages about it.
class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutForm(QWidget* parent = nullptr);

 private:
  TLocalStrings* LocalStrings = nullptr;
};
