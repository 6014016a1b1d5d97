#pragma once

#include <QString>

// inkloom --upload PROJECT: generates the project's site and uploads it with the project's
// settings, one progress line per file on stderr, then the outcome on stdout: a plain statement
// naming the server and the cause of a failure, followed by a line for each file not sent. The
// user name and password come from INKLOOM_FTP_USER and INKLOOM_FTP_PASSWORD when those are set,
// and are never written back. The project is saved when the run changed its record of uploaded
// files. Ctrl+C cancels the run cleanly.
//
// With dryRun, nothing is sent and nothing written: the files a run would send are listed with
// their sizes and the uploaded files the site no longer has, then how many are unchanged and the
// total to send. With deleteRemoved, the run deletes those files from the server without asking
// (only files of the record), and the outcome is followed by how many were sent, deleted and failed.
//
// Returns the exit code: 0 for a complete run, nothing to send or a dry run, 1 for a failed
// connection or remote root, a file not sent, stored credentials that cannot be read, or a
// generator error, 2 when the project cannot be read, 130 after Ctrl+C.
int RunUploadMode(int& argc, char** argv, const QString& projectPath, bool dryRun = false,
                  bool deleteRemoved = false);
