#include "app/UploadMode.h"

#include "automation/UploadProgressLines.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"
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

// The credential attributes of the saved file exactly as the project file held them: what the
// run used, maybe from the environment, is never written.
void KeepStoredCredentials(QDomElement& root, const QDomElement& stored) {
  const QString name = QStringLiteral("Settings");
  QDomElement settings = FindChildElement(root, name);
  const QDomElement original = FindChildElement(stored, name);
  for (const TCredential& credential : kCredentials) {
    const QString attribute = QLatin1String(credential.Attribute);
    if (original.hasAttribute(attribute))
      settings.setAttribute(attribute, original.attribute(attribute));
    else
      settings.removeAttribute(attribute);
  }
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

void PrintOutcome(const TFTPUploadModule& module, int outcome, const TUploadReport& report) {
  Print(stdout, report.Outcome(outcome, module.UploadError(), module.Settings(),
                               module.FailedCount()));
  for (const TUploadJob::TFailedFile& file : module.FailedFiles())
    Print(stdout, report.FailedFile(file.Path, file.Error));
}

int PrintPlan(const TFTPUploadModule& module, const QString& outputFolder,
              const TUploadReport& report) {
  const TUploadPlan plan = module.PlanUpload(outputFolder);
  for (const TUploadPlan::TFile& file : plan.Files()) Print(stdout, report.PlannedFile(file));
  Print(stdout, report.PlanSummary(plan));
  return 0;
}

// Writes the project with the run's record; false when it cannot be written (reported).
bool SaveRecord(const TFTPUploadModule& module, const TProjectFileContents& project,
                const QString& projectPath) {
  if (!project.IsProject()) return true;  // a file that is no project of ours is never written over
  try {
    TProjectFile::Write(projectPath, project.Text, [&](QDomElement& root) {
      module.WriteSettings(root);
      KeepStoredCredentials(root, project.Root());
    });
  } catch (const EInkloomError& error) {
    Print(stderr, QString::fromStdString(error.what()));
    return false;
  }
  return true;
}

int ExitCode(int outcome, int failed) {
  if (Interrupted) return 130;
  return (outcome == 0 || outcome == 3) && failed == 0 ? 0 : 1;
}

int UploadSite(TFTPUploadModule& module, const TProjectFileContents& project,
               const QString& projectPath, const QString& outputFolder,
               const TUploadReport& report) {
  TakeEnvironmentCredentials(module);
  const QStringList record = module.UploadedFiles;
  int outcome = RunInterruptibly(module, outputFolder);
  PrintOutcome(module, outcome, report);
  if (module.UploadedFiles != record && !SaveRecord(module, project, projectPath)) return 1;
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

int RunUploadMode(int& argc, char** argv, const QString& projectPath, bool dryRun) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  TProjectFileContents project;
  if (!ReadProject(projectPath, project)) return 2;
  TFTPUploadModule module;
  if (!project.Document.isNull()) module.ReadSettings(project.Root());
  TEnglishStrings strings("FTPUploadModule");
  const TUploadReport report([&strings](const char* key) { return strings[key]; });
  if (!dryRun && ReportUnreadableCredentials(module, projectPath, report)) return 1;

  const QString outputFolder = BuildSite(project, projectPath);
  if (outputFolder.isEmpty()) return 1;
  if (dryRun) return PrintPlan(module, outputFolder, report);
  return UploadSite(module, project, projectPath, outputFolder, report);
}
