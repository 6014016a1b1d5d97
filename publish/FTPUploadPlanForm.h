#pragma once

// What the next upload would send: each file with its size, then how many files that makes,
// their total size and how many files are unchanged since their last upload.

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class TLocalStrings;
class TUploadPlan;

class TFTPUploadPlanForm : public QDialog {
  Q_OBJECT
 public:
  TFTPUploadPlanForm(const TUploadPlan& plan, QWidget* parent = nullptr);

 private:
  TLocalStrings* LocalStrings = nullptr;
  QListWidget* FilesListView = nullptr;
  QLabel* SummaryLabel = nullptr;
  QPushButton* CloseButton = nullptr;
};
