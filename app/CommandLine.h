#pragma once

// The program's command line: the editor, the headless modes and the automation switches.

#include <QString>
#include <QStringList>

enum TRunMode {
  rmEditor,      // inkloom [PROJECT]
  rmBuild,       // --build PROJECT
  rmServe,       // --serve PROJECT [--port N] [--watch]
  rmUpload,      // --upload [--dry-run] PROJECT
  rmRunScript,   // --run-script FILE.js [PROJECT]
  rmRegServer,   // -regserver, /regserver
  rmUnregServer, // -unregserver
  rmAutomation,  // -automation, -embedding: started by an automation client
  rmHelp,
  rmVersion,
  rmUsageError
};

struct TCommandLine {
  TRunMode Mode = rmEditor;
  QString Project;     // the project file, empty when none was named
  QString ScriptFile;  // --run-script
  int Port = 0;        // --serve; 0 chooses a free port
  bool Watch = false;  // --serve --watch: rebuild on change and reload open pages
  bool DryRun = false; // --upload --dry-run: list what would be sent, send nothing
  bool Delete = false; // --upload --delete: also delete the uploaded files the site no longer has
  QString Error;       // rmUsageError: what was wrong

  // args[0] is the program.
  static TCommandLine Parse(const QStringList& args);
  static TCommandLine Parse(int argc, char** argv);
  static QString HelpText();
  static QString VersionText();
};
