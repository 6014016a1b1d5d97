#pragma once

// The output files of one generation on their way to disk. A page's bytes wait here until the
// generation ends (or a template lookup must see them, or too many bytes wait), so that a file
// that several sections give is written once, with the last section's bytes. Writing keeps
// what the program must not replace: the project file, a theme archive, and a theme folder's
// files that no build wrote (a project may write pages into its theme folder and use them as
// templates). Each output folder keeps the record of the files written there (TWrittenList).
//
// Put and Flush run one at a time: on a page writer in page order, or on the generator's
// thread while no page writer runs.

#include "generator/WrittenList.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TOutputStore {
 public:
  // A new generation.
  void Start();
  // The same generation run again from its start: what the first run wrote counts as written
  // by this generation.
  void Restart();

  // A file no output may replace (the project file, a theme archive).
  void Protect(const std::string& file);
  // A theme folder: only the files a build wrote there may be replaced.
  void Guard(const std::string& folder);
  // The key of an output folder: its absolute, clean path.
  static QString FolderKey(const std::string& folder);
  // An output folder of this generation, whose record Finish keeps.
  TWrittenList& Use(const std::string& folder);

  // The bytes of folder/relative, given by the page named page at line; they replace what an
  // earlier section gave the same file. May write the waiting files (see Flush).
  void Put(const std::string& folder, const std::string& relative, std::string bytes,
           const std::string& page, int line);
  // Writes the waiting files in the order they were first given; raises EOutputError for the
  // first that cannot be written or must not be replaced, and drops the rest.
  void Flush();
  void Discard();
  // A theme resource copied into folder.
  void Copied(const std::string& folder, const std::string& relative);
  // Records the files of every output folder used and, after a complete generation, removes
  // the files of the previous one that this one did not write.
  void Finish(bool complete);

 private:
  struct TPending {
    QString Path;
    TWrittenList* Folder;
    std::string Relative;
    std::string Bytes;
    std::string Page;
    int Line;
  };

  // Files of a site wait in memory up to this size; beyond it they are written at once.
  static constexpr size_t kMaxWaitingBytes = size_t(64) << 20;

  std::vector<TPending> Pending;
  std::unordered_map<QString, size_t> PendingIndex;
  size_t PendingBytes = 0;
  std::map<QString, std::unique_ptr<TWrittenList>> Folders;
  std::unordered_set<QString> WrittenFiles;  // canonical paths
  std::unordered_set<QString> Protected;     // canonical paths
  std::vector<QString> Guarded;              // canonical paths ending with "/"
  mutable QHash<QString, QString> RealFolders;  // folder -> its real path, in this run

  QString EntryPath(const QString& path) const;
  QString RealFolder(const QString& folder) const;
  void Write(const TPending& file);
  // Whether writing file would replace one it must keep.
  bool Refused(const TPending& file) const;
  bool Kept(const QString& canonical) const;
};
