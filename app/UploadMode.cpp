#include "app/UploadMode.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "project/ProjectFile.h"
#include "publish/FTPUploadModule.h"
#include "services/LocalStrings.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

#include <QFileInfo>
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

QString OutcomeText(int outcome) {
  static const char* const keys[] = {"UploadComplete", "UploadFailLogin", "UploadFailRoot",
                                     "UploadNoFiles"};
  TEnglishStrings strings("FTPUploadModule");
  return strings[outcome >= 0 && outcome <= 3 ? keys[outcome] : "UploadAborted"];
}

// Generates the site; the output folder, or empty after a generator error (reported).
QString BuildSite(const TProjectFileContents& project, const QString& projectPath) {
  THTMLGenerator generator;
  if (!GenerateProjectSite(generator, projectPath, project.Text, ThemesFolderSetting()))
    return QString();
  return QString::fromStdString(generator.GetOutputFolder());
}

// One line per file, the first time the run reaches it.
class TProgressPrinter {
 public:
  explicit TProgressPrinter(TFTPUploadModule& module) : Module(module), Handler(&module) {
    Handler.SetOnExecute(TNotifyEvent::FromFunction([this](QObject*) { Show(); }));
    Handler.SetMultiAction(module.OnFileAction);
  }

 private:
  void Show() {
    int index = Module.CurrentIndex();
    if (index < 0 || index == Shown) return;
    Shown = index;
    // The table's text is a printf format: name, number, total.
    Print(stderr, QString::asprintf(Text["UploadFile"].toUtf8().constData(),
                                    Module.CurrentFile().toUtf8().constData(), index + 1,
                                    Module.PendingCount()));
  }

  TFTPUploadModule& Module;
  TMultiActionHandler Handler;
  TEnglishStrings Text{"FTPUploadProgressForm"};
  int Shown = -1;
};

int ExitCode(int outcome, int failed) {
  if (Interrupted) return 130;
  return (outcome == 0 || outcome == 3) && failed == 0 ? 0 : 1;
}

}  // namespace

int RunUploadMode(int& argc, char** argv, const QString& projectPath) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  TProjectFileContents project;
  try {
    project = TProjectFile::Read(projectPath);
  } catch (const EInkloomError& error) {
    Print(stderr, QString::fromStdString(error.what()));
    return 2;
  }
  QString outputFolder = BuildSite(project, projectPath);
  if (outputFolder.isEmpty()) return 1;

  TFTPUploadModule module;
  if (!project.Document.isNull()) module.ReadSettings(project.Root());
  const QStringList record = module.UploadedFiles;
  TProgressPrinter printer(module);

  InterruptTarget = &module.CancelFlag();
  struct sigaction action = {}, previous = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);
  int outcome = module.RunUpload(outputFolder);
  sigaction(SIGINT, &previous, nullptr);
  InterruptTarget = nullptr;

  Print(stdout, OutcomeText(outcome));
  if (module.UploadedFiles != record) {
    try {
      TProjectFile::Write(projectPath, project.Text,
                          [&module](QDomElement& root) { module.WriteSettings(root); });
    } catch (const EInkloomError& error) {
      Print(stderr, QString::fromStdString(error.what()));
      return 1;
    }
  }
  return ExitCode(outcome, module.FailedCount());
}
