// The program's entry: reads the command line and starts the mode it names. The modes without
// a window run here, in a program that loads none of the window libraries; the editor and the
// script mode hand over to the windows program (inkloom-windows), which takes this process.

#include "app/BuildMode.h"
#include "app/CommandLine.h"
#include "app/ProgramFiles.h"
#include "app/UploadMode.h"
#include "app/ServeMode.h"
#include "automation/ServiceFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void Print(FILE* stream, const QString& text) {
  QByteArray bytes = text.toUtf8();
  if (!bytes.endsWith('\n')) bytes += '\n';
  std::fputs(bytes.constData(), stream);
}

// Replaces this process with the windows program, given the same arguments.
int RunWindows(int argc, char** argv) {
  QString program;
  {
    QCoreApplication application(argc, argv);
    program = TProgramFiles::WindowsProgram();
  }
  if (program.isEmpty()) {
    Print(stderr, QStringLiteral("inkloom: the windows program inkloom-windows is not installed beside inkloom."));
    return 2;
  }
  const QByteArray path = QFile::encodeName(program);
  argv[0] = const_cast<char*>(path.constData());
  ::execv(path.constData(), argv);
  Print(stderr, QStringLiteral("inkloom: cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno))));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const TCommandLine commandLine = TCommandLine::Parse(argc, argv);

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
    case rmRunScript:
      return RunWindows(argc, argv);
    case rmRegServer:
    case rmUnregServer:
      return TServiceFile::RunSwitch(argc, argv, commandLine.Mode == rmRegServer);
    case rmBuild: {
      QCoreApplication application(argc, argv);
      return RunBuild(commandLine.Project, ThemesFolderSetting());
    }
    case rmUpload:
      return RunUploadMode(argc, argv, commandLine.Project, commandLine.DryRun, commandLine.Delete);
    case rmServe: {
      QCoreApplication application(argc, argv);
      return RunServe(commandLine.Project, commandLine.Port, commandLine.Watch);
    }
    default:
      Print(stderr, QStringLiteral("This mode is not available in this version of Inkloom yet."));
      return 2;
  }
}
