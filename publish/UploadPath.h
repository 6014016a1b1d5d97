#pragma once

// A path of the upload ("img\logo.png", "\" between folder names), as the folder walk or the
// record gives it. A site may come from someone else and a record may be edited by hand: what
// such a path names never lies outside the output folder here, nor outside the remote folder on
// the server.

#include <QString>

class TUploadPath {
 public:
  TUploadPath() = default;
  // root: the output folder, ending with a separator; its real path is found once.
  explicit TUploadPath(const QString& root);

  // True when every part is a plain name: none empty, ".", ".." or holding "/", ":" or NUL, so
  // that the path cannot leave the folder it is taken in.
  static bool IsPlain(const QString& path);
  // The local file of a path below the root: empty when the path is not plain or its real place
  // lies outside the root (a link leading out of the output folder).
  QString LocalFile(const QString& path) const;

 private:
  QString Root;
  QString RealRoot;  // empty when the folder is not there
};
