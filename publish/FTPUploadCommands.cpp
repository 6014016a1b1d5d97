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
    lines.append(report.FailedFile(file.Path, file.Error, file.Deletion));
  return lines.join(u'\n');
}

// The question names the first files; a longer list would not fit on the screen.
constexpr int kNamedRemoved = 12;

QString RemovedList(const TUploadPlan& plan) {
  QStringList names;
  for (const QString& path : plan.Removed().mid(0, kNamedRemoved))
    names.append(TUploadReport::DisplayPath(path));
  if (plan.Removed().size() > kNamedRemoved) names.append(QStringLiteral("..."));
  return names.join(u'\n');
}

// Asked once before each run: files of earlier uploads that the site no longer has leave the
// server only when the user agrees.
bool AgreesToDelete(const TFTPUploadModule& module, const QString& localRoot) {
  const TUploadPlan plan = module.PlanUpload(localRoot);
  if (plan.Removed().isEmpty()) return false;
  const QString question =
      module.Report().Text("UploadAskDelete", {QString::number(plan.Removed().size())});
  return Module->AskYesNo(module.GetString(QStringLiteral("Upload")),
                          question + QStringLiteral("\n\n") + RemovedList(plan)) == QMessageBox::Yes;
}

// The settings dialog; true when the user confirmed it.
bool EditSettings() {
  TFTPUploadSettingsForm settings(MainForm);
  if (settings.exec() != QDialog::Accepted) return false;
  Module->SetModified(true);
  return true;
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
  DeleteRemovedFiles = AgreesToDelete(*this, Module->GetOutputFolder());
  const int outcome = UploadWithProgress(Module->GetOutputFolder());
  DeleteRemovedFiles = false;  // scripts' runs never delete
  ShowOutcome(outcome);
}

void TFTPUploadModule::CmUploadSettings(QObject*) { EditSettings(); }

// What happened first, with its cause, and how many files were sent, deleted and failed; after a
// failed log-in or remote folder, the question whether to fix the settings now, and with the
// settings confirmed the run again.
void TFTPUploadModule::ShowOutcome(int outcome) {
  const QString caption = GetString(QStringLiteral("Upload"));
  QString text = Report().Outcome(outcome, UploadError(), Settings(), FailedCount());
  if (outcome == 1 || outcome == 2) {
    const QString question = GetString(outcome == 1 ? QStringLiteral("UploadFailLogin")
                                                    : QStringLiteral("UploadFailRoot"));
    if (Module->AskYesNo(caption, text + QStringLiteral("\n\n") + question) == QMessageBox::Yes &&
        EditSettings())
      CmUpload(nullptr);
    return;
  }
  if (outcome != 3) text += u' ' + Report().Counts(SentCount(), DeletedCount(), FailedCount());
  const bool fine = outcome != -1 && FailedCount() == 0;
  QMessageBox box(fine ? QMessageBox::Information : QMessageBox::Warning, caption, text,
                  QMessageBox::Ok, MainForm);
  box.setDetailedText(FailedFileLines(*this));
  box.exec();
}
