#pragma once

#include <QString>

// inkloom --serve PROJECT [--port N]: generates the project's site, serves its output folder on
// 127.0.0.1 with includes expanded in HTML pages, prints the address ("http://127.0.0.1:PORT/")
// and runs until SIGINT or SIGTERM; port 0 chooses a free one. Returns the program's exit code:
// 0 after an interruption, the codes of --build when the site cannot be generated, 2 when the
// port cannot be had.
int RunServe(const QString& projectPath, int port);
