// The publishing module's commands, kept out of the core library: the module uploads and tests
// without any window, these run it from the main window with its dialogs.

#include "app/Main.h"
#include "app/Model.h"
#include "publish/FTPUploadModule.h"
#include "publish/FTPUploadProgressForm.h"
#include "publish/FTPUploadSettingsForm.h"
#include "services/ActionHandler.h"

#include <QMessageBox>

namespace {

// Each file the run could not send, with why.
QString FailedFileLines(const TFTPUploadModule& module) {
  const TUploadReport report = module.Report();
  QStringList lines;
  for (const TUploadJob::TFailedFile& file : module.FailedFiles())
    lines.append(report.FailedFile(file.Path, file.Error));
  return lines.join(u'\n');
}

}  // namespace

void TFTPUploadModule::SupplyCommands(TAction* upload, TAction* uploadSettings) {
  UploadAction->SetOnExecute(TNotifyEvent(this, &TFTPUploadModule::CmUpload));
  UploadAction->SetOnUpdate(TNotifyEvent(this, &TFTPUploadModule::CanUpload));
  UploadSettingsAction->SetOnExecute(TNotifyEvent(this, &TFTPUploadModule::CmUploadSettings));
  UploadAction->SetAction(upload);
  UploadSettingsAction->SetAction(uploadSettings);
}

void TFTPUploadModule::CanUpload(QObject* sender) {
  static_cast<TAction*>(sender)->SetEnabled(!Busy());
}

// The dialog attaches to the run's events before the run starts, so it misses none.
int TFTPUploadModule::UploadWithProgress(const QString& localRoot) {
  TFTPUploadProgressForm progress(MainForm);
  if (!StartUpload(localRoot)) return UploadResult;
  progress.exec();
  if (UploadResult == 0 || UploadResult == -1) Module->SetModified(true);
  return UploadResult;
}

// A generator problem stops the command; the main window has shown it.
void TFTPUploadModule::CmUpload(QObject*) {
  if (Busy() || !Module->BuildSite()) return;
  ShowOutcome(UploadWithProgress(Module->GetOutputFolder()));
}

void TFTPUploadModule::CmUploadSettings(QObject*) {
  TFTPUploadSettingsForm settings(MainForm);
  if (settings.exec() == QDialog::Accepted) Module->SetModified(true);
}

// What happened first, with its cause; after a failed log-in or remote folder, the question
// whether to fix the settings now.
void TFTPUploadModule::ShowOutcome(int outcome) {
  const QString caption = GetString(QStringLiteral("Upload"));
  const QString text = Report().Outcome(outcome, UploadError(), Settings(), FailedCount());
  if (outcome == 1 || outcome == 2) {
    const QString question = GetString(outcome == 1 ? QStringLiteral("UploadFailLogin")
                                                    : QStringLiteral("UploadFailRoot"));
    if (Module->AskYesNo(caption, text + QStringLiteral("\n\n") + question) == QMessageBox::Yes)
      CmUploadSettings(nullptr);
    return;
  }
  const bool fine = outcome != -1 && FailedCount() == 0;
  QMessageBox box(fine ? QMessageBox::Information : QMessageBox::Warning, caption, text,
                  QMessageBox::Ok, MainForm);
  box.setDetailedText(FailedFileLines(*this));
  box.exec();
}
