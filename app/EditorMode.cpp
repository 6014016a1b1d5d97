#include "app/EditorMode.h"

#include "app/CommandLine.h"

#include <cstdio>

int RunEditor(int, char**, const TCommandLine&) {
  // The editor window is the next piece of work; until then the program says so plainly
  // instead of opening an empty window.
  std::fputs("The editor window is not available in this version of Inkloom yet.\n", stderr);
  return 2;
}
