#include "publish/FTPUploadProgressForm.h"

#include "publish/FTPUploadModule.h"
#include "publish/UploadReport.h"
#include "services/LocalStrings.h"
#include "services/MultiActionHandler.h"

#include <QLabel>
#include <QProgressBar>

TFTPUploadProgressForm::TFTPUploadProgressForm(QWidget* parent)
    : TFTPJobDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint,
                    "FTPUploadProgressForm", QStringLiteral("Upload"), "UploadFileLabel") {
  FileHandler = new TMultiActionHandler(this);
  FileHandler->setObjectName(QStringLiteral("FileHandler"));
  FileHandler->SetOnExecute(TNotifyEvent(this, &TFTPUploadProgressForm::FileHandlerExecute));
  FileHandler->SetMultiAction(FTPUploadModule->OnFileAction);
  UploadCompleteHandler =
      CloseWhenDone("UploadCompleteHandler", FTPUploadModule->OnUploadCompleteAction);
}

void TFTPUploadProgressForm::FileHandlerExecute(QObject*) {
  const int count = FTPUploadModule->PendingCount();
  const int index = FTPUploadModule->CurrentIndex();
  if (count == ShownCount && index == ShownIndex) return;
  ShownCount = count;
  ShownIndex = index;
  const QString file = FTPUploadModule->CurrentFile();
  QMetaObject::invokeMethod(
      this, [this, count, index, file] { ShowProgress(count, index, file); }, Qt::QueuedConnection);
}

void TFTPUploadProgressForm::ShowProgress(int pendingCount, int index, const QString& file) {
  ProgressBar->setMaximum(pendingCount);
  ProgressBar->setValue(qMax(index, 0));
  if (index < 0) {
    Label->setText(FormatText(LocalStrings->GetString(QStringLiteral("ConnectTo")),
                              {FTPUploadModule->FTPServer}));
    return;
  }
  Label->setText(FormatText(LocalStrings->GetString(QStringLiteral("UploadFile")),
                            {TUploadReport::DisplayPath(file), QString::number(index + 1),
                             QString::number(pendingCount)}));
}
