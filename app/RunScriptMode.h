#pragma once

struct TCommandLine;

// inkloom --run-script FILE.js [PROJECT]: runs a JavaScript file against the automation objects
// with the whole program behind them (the application module, the real generator and
// publishing module) and no window shown. PROJECT, when given, is opened first. The members of
// Application are global names (Open, Save, Build, Upload, Editor, Settings); console.log
// writes a line on stdout. Nothing is saved unless the script calls Save; config.ini and the
// recovery files are never written. An upload reports its progress on stderr as --upload does.
// Ctrl+C or SIGTERM stops the script (and an upload it runs).
//
// Returns the exit code: 0 when the script ran to its end, 1 after an error in the script or a
// member (printed as "FILE:LINE: description", LINE from 1), 2 when the script or the project
// cannot be read, 130 after Ctrl+C.
int RunScriptMode(int argc, char** argv, const TCommandLine& commandLine);
