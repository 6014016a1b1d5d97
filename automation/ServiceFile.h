#pragma once

// The D-Bus activation file that lets an automation client start the program: -regserver
// writes $XDG_DATA_HOME/dbus-1/services/org.inkloom.Inkloom.service (default ~/.local/share)
// naming this program with -automation, and -unregserver removes it. Both are quiet about a
// folder they may not write to.

#include <QString>

class TServiceFile {
 public:
  static QString Path();
  // The file's text for the program at programPath.
  static QString Contents(const QString& programPath);
  // True when the file was written (or removed).
  static bool Register(const QString& programPath);
  static bool Unregister();
  // The -regserver and -unregserver modes: print nothing and exit 0 whatever happened.
  static int RunSwitch(int& argc, char** argv, bool registering);
  // A program path as the Exec line needs it: quoted when it holds anything but plain characters.
  static QString ExecArgument(const QString& programPath);
};
