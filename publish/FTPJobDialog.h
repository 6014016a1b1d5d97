#pragma once

// What the connection test and upload dialogs share: a small fixed dialog with a label, a
// progress bar and Cancel, in the language of its table. Cancel, Esc and the title bar's close
// button ask the running job to stop; the dialog stays until the job's end closes it, so that
// what the job did is known when the dialog is gone.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TLocalStrings;
class TMultiAction;
class TMultiActionHandler;

class TFTPJobDialog : public QDialog {
  Q_OBJECT
 public:
  void reject() override;

 protected:
  // name is the dialog's and its table's; labelName the label's; caption the English one.
  TFTPJobDialog(QWidget* parent, Qt::WindowFlags flags, const char* name, const QString& caption,
                const char* labelName);

  void CancelButtonClick();
  // A handler of the job's completion event that closes the dialog.
  TMultiActionHandler* CloseWhenDone(const char* handlerName, TMultiAction* completed);

  TLocalStrings* LocalStrings = nullptr;
  QLabel* Label = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  void JobEnded(QObject* sender);
};
