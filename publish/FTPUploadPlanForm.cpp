#include "publish/FTPUploadPlanForm.h"

#include "publish/FTPUploadModule.h"
#include "services/LocalStrings.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFTPUploadPlanForm::TFTPUploadPlanForm(const TUploadPlan& plan, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FTPUploadPlanForm"));
  setWindowTitle(QStringLiteral("Files to upload"));
  const TUploadReport report = FTPUploadModule->Report();
  FilesListView = new QListWidget(this);
  FilesListView->setObjectName(QStringLiteral("FilesListView"));
  for (const TUploadPlan::TFile& file : plan.Files())
    FilesListView->addItem(report.PlannedFile(file));
  // The recorded files the site lost, which an upload may delete from the server.
  for (const QString& path : plan.Removed()) FilesListView->addItem(report.RemovedFile(path));
  SummaryLabel = new QLabel(report.PlanSummary(plan), this);
  SummaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
  CloseButton = new QPushButton(this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setDefault(true);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FilesListView);
  layout->addWidget(SummaryLabel);
  layout->addWidget(CloseButton, 0, Qt::AlignRight);
  LocalStrings = new TLocalStrings(this, QStringLiteral("FTPUploadPlanForm"));
  LocalStrings->Loaded();
}
