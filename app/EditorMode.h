#pragma once

struct TCommandLine;

// Runs the editor window; returns the program's exit code.
int RunEditor(int argc, char** argv, const TCommandLine& commandLine);
