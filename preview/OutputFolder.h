#pragma once

#include <QString>

class QFileInfo;

// The folder whose files the preview serves. Turns a path below it (with "/" or "\" between
// names, a leading separator meaning the folder itself) into a file path, and refuses every path
// that would lead outside it: ".." above the folder, a NUL byte, or a link that points out.
class TOutputFolder {
 public:
  explicit TOutputFolder(const QString& root);

  const QString& Root() const { return RootPath; }
  // The file path for relative, or an empty string when relative leads outside the folder.
  QString FilePath(const QString& relative) const;
  // FilePath names an existing regular file inside the folder.
  bool IsFile(const QString& filePath) const;
  // FilePath names an existing folder inside the folder, other than the folder itself.
  bool IsFolder(const QString& filePath) const;

 private:
  QString RootPath;  // ends with "/"

  // The entry exists and, links resolved, lies below the folder.
  bool Inside(const QFileInfo& info) const;
};
