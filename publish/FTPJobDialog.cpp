#include "publish/FTPJobDialog.h"

#include "publish/FTPUploadModule.h"
#include "services/LocalStrings.h"
#include "services/MultiActionHandler.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TFTPJobDialog::TFTPJobDialog(QWidget* parent, Qt::WindowFlags flags, const char* name,
                             const QString& caption, const char* labelName)
    : QDialog(parent, flags) {
  setObjectName(QLatin1String(name));
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  Label = new QLabel(this);
  Label->setObjectName(QLatin1String(labelName));
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setTextVisible(false);
  ProgressBar->setValue(0);
  CancelButton = new QPushButton(this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  connect(CancelButton, &QPushButton::clicked, this, &TFTPJobDialog::CancelButtonClick);
  layout->addWidget(Label);
  layout->addWidget(ProgressBar);
  layout->addWidget(CancelButton, 0, Qt::AlignRight);
  // A long file name must not widen the dialog; the label shows what fits.
  setFixedSize(QSize(295, 91).expandedTo(layout->minimumSize()));
  LocalStrings = new TLocalStrings(this, QLatin1String(name));
  LocalStrings->Loaded();
}

void TFTPJobDialog::reject() {
  CancelButtonClick();
}

void TFTPJobDialog::CancelButtonClick() {
  FTPUploadModule->Cancel();
}

void TFTPJobDialog::JobEnded(QObject*) {
  done(QDialog::Accepted);
}

TMultiActionHandler* TFTPJobDialog::CloseWhenDone(const char* handlerName,
                                                  TMultiAction* completed) {
  auto* handler = new TMultiActionHandler(this);
  handler->setObjectName(QLatin1String(handlerName));
  handler->SetOnExecute(TNotifyEvent(this, &TFTPJobDialog::JobEnded));
  handler->SetMultiAction(completed);
  return handler;
}
