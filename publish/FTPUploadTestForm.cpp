#include "publish/FTPUploadTestForm.h"

#include "publish/FTPUploadModule.h"

#include <QProgressBar>
#include <QTimer>

TFTPUploadTestForm::TFTPUploadTestForm(QWidget* parent)
    : TFTPJobDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint, "FTPUploadTestForm",
                    QStringLiteral("Test connection"), "ProgressLabel") {
  ProgressBar->setMaximum(FTPUploadModule->Timeout);
  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  connect(Timer, &QTimer::timeout, this, &TFTPUploadTestForm::TimerTimer);
  Timer->start(100);
  TestComleteHandler = CloseWhenDone("TestComleteHandler", FTPUploadModule->OnTestCompleteAction);
}

// The bar measures the time gone, not the test's progress: full when the test may time out.
void TFTPUploadTestForm::TimerTimer() {
  ProgressBar->setValue(qMin(ProgressBar->value() + Timer->interval(), ProgressBar->maximum()));
}
