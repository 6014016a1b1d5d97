// The program's entry: reads the command line and starts the mode it names.

#include "app/BuildMode.h"
#include "app/CommandLine.h"
#include "app/EditorMode.h"
#include "app/RunScriptMode.h"
#include "app/UploadMode.h"
#include "app/ServeMode.h"
#include "automation/ServiceFile.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void Print(FILE* stream, const QString& text) {
  QByteArray bytes = text.toUtf8();
  if (!bytes.endsWith('\n')) bytes += '\n';
  std::fputs(bytes.constData(), stream);
}

}  // namespace

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const TCommandLine commandLine = TCommandLine::Parse(args);

  switch (commandLine.Mode) {
    case rmVersion:
      Print(stdout, TCommandLine::VersionText());
      return 0;
    case rmHelp:
      Print(stdout, TCommandLine::HelpText());
      return 0;
    case rmUsageError:
      Print(stderr, commandLine.Error + QStringLiteral("\nTry 'inkloom --help'."));
      return 2;
    case rmEditor:
    case rmAutomation:
      return RunEditor(argc, argv, commandLine);
    case rmRunScript:
      return RunScriptMode(argc, argv, commandLine);
    case rmRegServer:
    case rmUnregServer:
      return TServiceFile::RunSwitch(argc, argv, commandLine.Mode == rmRegServer);
    case rmBuild: {
      QCoreApplication application(argc, argv);
      return RunBuild(commandLine.Project, ThemesFolderSetting());
    }
    case rmUpload:
      return RunUploadMode(argc, argv, commandLine.Project, commandLine.DryRun);
    case rmServe: {
      QCoreApplication application(argc, argv);
      return RunServe(commandLine.Project, commandLine.Port, commandLine.Watch);
    }
    default:
      Print(stderr, QStringLiteral("This mode is not available in this version of Inkloom yet."));
      return 2;
  }
}
