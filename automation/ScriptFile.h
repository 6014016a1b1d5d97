#pragma once

// Reading a script file, the same for the script window and --run-script: as the program reads
// plain text (UTF-16 by its byte-order mark, UTF-8 when valid, else the code page).

#include <QString>

class TScriptFile {
 public:
  // The text of the file; false, with the reason in error, when it cannot be read.
  static bool Read(const QString& path, QString& text, QString& error);
};
