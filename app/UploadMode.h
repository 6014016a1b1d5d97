#pragma once

#include <QString>

// inkloom --upload PROJECT: generates the project's site and uploads it with the project's
// settings, one progress line per file on stderr, then the outcome's text on stdout. The project
// is saved when the run changed its record of uploaded files. Ctrl+C cancels the run cleanly.
// Returns the exit code: 0 for a complete run or nothing to send, 1 for a failed connection or
// remote root, a file not sent or a generator error, 2 when the project cannot be read, 130
// after Ctrl+C.
int RunUploadMode(int& argc, char** argv, const QString& projectPath);
