#pragma once

#include <QApplication>
#include <QString>

// The GUI application: an error raised inside a command or any other event handler is shown in
// a message box and never ends the program.
class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  static void ShowError(const QString& message);
};
