#include "automation/UploadProgressLines.h"

#include "publish/FTPUploadModule.h"
#include "publish/UploadReport.h"
#include "services/LocalStrings.h"
#include "services/MultiAction.h"

TUploadProgressLines::TUploadProgressLines(TFTPUploadModule& module, FILE* stream)
    : Module(module),
      Stream(stream),
      ProgressTexts(this, QStringLiteral("FTPUploadProgressForm")),
      ModuleTexts(this, QStringLiteral("FTPUploadModule")),
      Handler(this) {
  Handler.SetOnExecute(TNotifyEvent::FromFunction([this](QObject*) { ShowProgress(); }));
  Handler.SetMultiAction(module.OnFileAction);
}

void TUploadProgressLines::ShowProgress() {
  const int index = Module.CurrentIndex();
  if (index < 0 || Shown.exchange(index) == index) return;
  Print(FormatText(ProgressTexts.GetString(QStringLiteral("UploadFile")),
                            {TUploadReport::DisplayPath(Module.CurrentFile()), QString::number(index + 1),
                             QString::number(Module.PendingCount())}));
}

void TUploadProgressLines::PrintOutcome(int outcome) const {
  const TUploadReport report([this](const char* key) { return ModuleTexts.GetString(QLatin1String(key)); });
  Print(report.Outcome(outcome, Module.UploadError(), Module.Settings(), Module.FailedCount()));
  for (const TUploadJob::TFailedFile& file : Module.FailedFiles()) Print(report.FailedFile(file.Path, file.Error, file.Deletion));
}

void TUploadProgressLines::Print(const QString& line) const {
  std::fputs((line + u'\n').toUtf8().constData(), Stream);
  std::fflush(Stream);
}
