#include "app/UploadMode.h"

#include "automation/UploadProgressLines.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"
#include "publish/UploadRecord.h"
#include "publish/UploadReport.h"
#include "services/LocalStrings.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool>* InterruptTarget = nullptr;
std::atomic<bool> Interrupted{false};

// Async-signal-safe: it only sets lock-free atomics.
extern "C" void OnInterrupt(int) {
  Interrupted = true;
  if (InterruptTarget) InterruptTarget->store(true);
}

void Print(FILE* stream, const QString& text) {
  std::fputs((text + u'\n').toUtf8().constData(), stream);
  std::fflush(stream);
}

// The English texts of a window's or module's table.
class TEnglishStrings {
 public:
  explicit TEnglishStrings(const char* section) : Strings(&Owner, QLatin1String(section)) {
    Strings.Localize(1033);
  }
  QString operator[](const char* key) const { return Strings.GetString(QLatin1String(key)); }

 private:
  QObject Owner;
  TLocalStrings Strings;
};

// The credentials a deployment script may hand over in the environment instead of the project.
struct TCredential {
  const char* Attribute;
  const char* Variable;
  QString TFTPUploadModule::*Value;
};

const TCredential kCredentials[] = {
    {"FTPUserName", "INKLOOM_FTP_USER", &TFTPUploadModule::FTPUserName},
    {"FTPPassword", "INKLOOM_FTP_PASSWORD", &TFTPUploadModule::FTPPassword},
};

// Set but empty counts as set: an empty password is a password.
void TakeEnvironmentCredentials(TFTPUploadModule& module) {
  for (const TCredential& credential : kCredentials)
    if (qEnvironmentVariableIsSet(credential.Variable))
      module.*credential.Value = qEnvironmentVariable(credential.Variable);
}

// Reports each stored credential that cannot be read and the environment does not replace;
// true when there was one. Logging in with what such a value decodes to would be a guess.
bool ReportUnreadableCredentials(const TFTPUploadModule& module, const QString& projectPath,
                                 const TUploadReport& report) {
  bool found = false;
  for (const TCredential& credential : kCredentials) {
    const QString attribute = QLatin1String(credential.Attribute);
    if (!module.UnreadableCredentials.contains(attribute) ||
        qEnvironmentVariableIsSet(credential.Variable))
      continue;
    Print(stderr, report.Text("CredentialUnreadable",
                              {attribute, projectPath, QLatin1String(credential.Variable)}));
    found = true;
  }
  return found;
}

// Generates the site; the output folder, or empty after a generator error (reported).
QString BuildSite(const TProjectFileContents& project, const QString& projectPath) {
  THTMLGenerator generator;
  if (!GenerateProjectSite(generator, projectPath, project.Text, ThemesFolderSetting()))
    return QString();
  return QString::fromStdString(generator.GetOutputFolder());
}

// The run, with Ctrl+C cancelling it rather than ending the program.
int RunInterruptibly(TFTPUploadModule& module, const QString& outputFolder) {
  const TUploadProgressLines progress(module, stderr);
  InterruptTarget = &module.CancelFlag();
  struct sigaction action = {}, previous = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);
  int outcome = module.RunUpload(outputFolder);
  sigaction(SIGINT, &previous, nullptr);
  InterruptTarget = nullptr;
  return outcome;
}

// With --delete, the counts follow the outcome, so that the deletions are told too.
void PrintOutcome(const TFTPUploadModule& module, int outcome, const TUploadReport& report) {
  Print(stdout, report.Outcome(outcome, module.UploadError(), module.Settings(),
                               module.FailedCount()));
  if (module.DeleteRemovedFiles)
    Print(stdout, report.Counts(module.SentCount(), module.DeletedCount(), module.FailedCount()));
  for (const TUploadJob::TFailedFile& file : module.FailedFiles())
    Print(stdout, report.FailedFile(file.Path, file.Error, file.Deletion));
}

int PrintPlan(const TFTPUploadModule& module, const QString& outputFolder,
              const TUploadReport& report) {
  const TUploadPlan plan = module.PlanUpload(outputFolder);
  for (const TUploadPlan::TFile& file : plan.Files()) Print(stdout, report.PlannedFile(file));
  for (const QString& path : plan.Removed()) Print(stdout, report.RemovedFile(path));
  Print(stdout, report.PlanSummary(plan));
  return 0;
}

const QString kSettings = QStringLiteral("Settings");
const QString kUploadFiles = QStringLiteral("UploadFiles");

// The attributes that say where the record's files went.
bool SameDestination(const QDomElement& a, const QDomElement& b) {
  for (const char* name : {"FTPServer", "FTPPort", "FTPRemoteRoot", "Protocol"})
    if (a.attribute(QLatin1String(name)) != b.attribute(QLatin1String(name))) return false;
  return true;
}

// What a run did to the record: the lines before and after it, and the destination they describe.
struct TRecordChange {
  QStringList Before;
  QStringList After;
  QString Destination;
  bool Fresh = false;  // the record before described another destination: the new one replaces it
};

// The project file as it is now with the run's changes to the record: an edit saved while the
// run went on (by the editor, by hand, by a sync tool) stays, and so do the stored credentials.
void WriteRecordInto(const TProjectFileContents& current, const QString& projectPath, const TRecordChange& change) {
  const QDomElement stored = FindChildElement(current.Root(), kSettings);
  QStringList record = change.Fresh ? change.After : TUploadRecord::Parse(GetChildText(stored, kUploadFiles, QString()));
  if (!change.Fresh) TUploadRecord(record).ApplyChanges(change.Before, change.After);
  TProjectFile::Write(projectPath, current.Text, [&](QDomElement& root) {
    QDomElement settings = root.appendChild(root.ownerDocument().importNode(stored, true)).toElement();
    SetChildText(settings, kUploadFiles, record.join(u'\n')).setAttribute(QStringLiteral("Destination"), change.Destination);
  });
}

// Saves the run's record into the project file; false when it could not (reported). A file
// that no longer reads as the project the run started from is left alone.
bool SaveRecord(const TRecordChange& change, const TProjectFileContents& project, const QString& projectPath,
                const TUploadReport& report) {
  if (!project.IsProject()) return true;  // a file that is no project of ours is never written over
  try {
    const TProjectFileContents current = TProjectFile::Read(projectPath);
    const QDomElement settings = FindChildElement(project.Root(), kSettings);
    if (current.IsProject() && SameDestination(settings, FindChildElement(current.Root(), kSettings))) {
      WriteRecordInto(current, projectPath, change);
      return true;
    }
  } catch (const EInkloomError& error) {
    Print(stderr, QString::fromStdString(error.what()));
  }
  Print(stderr, report.Text("RecordNotSaved", {projectPath}));
  return false;
}

int ExitCode(int outcome, int failed) {
  if (Interrupted) return 130;
  return (outcome == 0 || outcome == 3) && failed == 0 ? 0 : 1;
}

int UploadSite(TFTPUploadModule& module, const TProjectFileContents& project,
               const QString& projectPath, const QString& outputFolder,
               const TUploadReport& report) {
  TakeEnvironmentCredentials(module);
  TRecordChange change{module.UploadedFiles, {}, {}, module.RecordElsewhere()};
  int outcome = RunInterruptibly(module, outputFolder);
  PrintOutcome(module, outcome, report);
  change.After = module.UploadedFiles;
  change.Destination = module.RecordDestination;
  if (change.After != change.Before && !SaveRecord(change, project, projectPath, report)) return 1;
  return ExitCode(outcome, module.FailedCount());
}

bool ReadProject(const QString& projectPath, TProjectFileContents& project) {
  try {
    project = TProjectFile::Read(projectPath);
  } catch (const EInkloomError& error) {
    Print(stderr, QString::fromStdString(error.what()));
    return false;
  }
  return true;
}

}  // namespace

int RunUploadMode(int& argc, char** argv, const QString& projectPath, bool dryRun, bool deleteRemoved) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  TProjectFileContents project;
  if (!ReadProject(projectPath, project)) return 2;
  TFTPUploadModule module;
  if (!project.Document.isNull()) module.ReadSettings(project.Root());
  module.DeleteRemovedFiles = deleteRemoved;
  TEnglishStrings strings("FTPUploadModule");
  const TUploadReport report([&strings](const char* key) { return strings[key]; });
  if (!dryRun && ReportUnreadableCredentials(module, projectPath, report)) return 1;

  const QString outputFolder = BuildSite(project, projectPath);
  if (outputFolder.isEmpty()) return 1;
  if (dryRun) return PrintPlan(module, outputFolder, report);
  return UploadSite(module, project, projectPath, outputFolder, report);
}
