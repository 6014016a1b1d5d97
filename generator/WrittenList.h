#pragma once

// The record a build leaves in an output folder of the files it wrote there, one "/"-separated
// name below the folder a line, in the hidden file kFileName (hidden entries are neither
// uploaded nor copied as theme resources). The next build removes the files the record names
// and it did not write again: pages the project no longer has. Only plain files that lie below
// the folder and are reached without a link are removed; a missing or unreadable record
// removes nothing.

#include <QString>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class TWrittenList {
 public:
  static constexpr const char* kFileName = ".inkloom-written";

  // Reads the previous build's record of folder (an absolute path without a trailing "/").
  explicit TWrittenList(QString folder);

  const QString& Folder() const { return FolderPath; }
  bool WrittenBefore(const std::string& relative) const { return Previous.count(relative) > 0; }
  // A file this build wrote.
  void Add(const std::string& relative);
  // A complete build removes the files the previous one wrote and it did not (unless keep says
  // otherwise), and records its own; an incomplete one keeps every file and records them all.
  void Finish(bool complete, const std::function<bool(const QString&)>& keep);

 private:
  QString FolderPath;
  std::vector<std::string> PreviousOrder;
  std::unordered_set<std::string> Previous;
  std::vector<std::string> Current;
  std::unordered_set<std::string> CurrentSet;

  void Read();
  void Save(const std::vector<std::string>& names) const;
  // The plain file folder/relative, reached through real folders only, or an empty path.
  QString OwnFile(const std::string& relative) const;
};
