#pragma once

struct TCommandLine;

// Runs the editor window; returns the program's exit code. The editor serves its automation
// objects on the session bus; started by an automation client (-automation), it shows no start
// screen and ends by itself when the client is done with it.
int RunEditor(int argc, char** argv, const TCommandLine& commandLine);
