#pragma once

// Writes files below one output folder without following links. A link standing where a file
// goes is removed and the file made in its place; so is a file with other names (a hard link),
// so that its other names keep their bytes. A folder on the way may be a link only when it
// leads to a folder inside the output folder (a site may link its own folders); one that leads
// out is refused. Missing folders are made on the way. The output folder itself is taken as
// it is: the user chose it.

#include <QString>

#include <string>
#include <string_view>

class TFolderWriter {
 public:
  enum TResult { fwWritten, fwCannotWrite, fwLeadsOut };

  explicit TFolderWriter(const QString& folder);

  // Writes relative ("/"-separated, no "." or ".." parts) below the folder; a file that already
  // holds the bytes is left untouched.
  TResult Write(const std::string& relative, std::string_view bytes) const;

 private:
  QString Folder;

  // The folder that holds relative, open for openat (made when missing), or -1 with why.
  int OpenParent(const std::string& relative, TResult& why) const;
  int OpenSubfolder(int parent, const QString& path, const std::string& name, TResult& why) const;
  int OpenLinkedFolder(const QString& path, TResult& why) const;
};
