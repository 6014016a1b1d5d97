#pragma once

// Where the program's parts are, found from the running program's own folder, so that the
// program works from the build tree and from any installation prefix: bin/inkloom with
// share/inkloom/..., and the windows program in libexec/inkloom/.

#include <QString>

class TProgramFiles {
 public:
  // share/inkloom/name beside the program, ending with "/" (the likeliest place when none is).
  static QString DataFolder(const QString& name);
  // The program that shows the windows; empty when it is nowhere to be found.
  static QString WindowsProgram();
};
