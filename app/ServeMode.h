#pragma once

#include <QString>

// inkloom --serve PROJECT [--port N] [--watch]: generates the project's site, serves its output
// folder on 127.0.0.1 with includes expanded in HTML pages, prints the address
// ("http://127.0.0.1:PORT/") and runs until SIGINT or SIGTERM; port 0 chooses a free one.
// With watch, a change of the project file or its themes rebuilds the site ("Rebuilt in N ms" on
// stderr, or the problem, after which the last good site stays served) and the pages open in
// browsers reload themselves. Returns the program's exit code: 0 after an interruption, the
// codes of --build when the site cannot be generated at first, 2 when the port cannot be had.
int RunServe(const QString& projectPath, int port, bool watch = false);
