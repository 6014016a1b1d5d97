// The windows program: the editor (also when an automation client starts it) and the script
// mode, which need the window libraries. The inkloom program hands these modes over to it.

#include "app/CommandLine.h"
#include "app/EditorMode.h"
#include "app/RunScriptMode.h"

#include <cstdio>

int main(int argc, char** argv) {
  const TCommandLine commandLine = TCommandLine::Parse(argc, argv);
  switch (commandLine.Mode) {
    case rmEditor:
    case rmAutomation:
      return RunEditor(argc, argv, commandLine);
    case rmRunScript:
      return RunScriptMode(argc, argv, commandLine);
    default:
      std::fputs("inkloom-windows runs the editor and scripts; the other modes are inkloom's.\n", stderr);
      return 2;
  }
}
