#pragma once

// The files of a folder theme that a resource name denotes: one file, the entries matching a
// wildcard pattern, and everything below a folder among them. A theme may come from someone
// else, so only files whose real path lies inside the theme are taken (a link to ~/.ssh is
// not), each real folder is visited once (two links to "." would double the copy at every
// level), and a name holding "\" is never taken: it would become a path elsewhere (in the
// record of written files, on the server).

#include <QHash>
#include <QString>

#include <string>
#include <unordered_set>
#include <vector>

class TThemeFiles {
 public:
  struct TFile {
    QString Source;        // its real path
    std::string Relative;  // "/"-separated below the theme
  };
  enum TSkipReason { tsLeadsOut, tsBackslash };
  struct TSkipped {
    std::string Name;  // below the theme
    TSkipReason Reason;
  };

  // root: the theme folder.
  explicit TThemeFiles(const QString& root);

  // The real path of a theme file or folder when it lies inside the theme, else an empty one.
  QString Inside(const QString& path) const;
  // The entries of folder (folderPart below the theme, "" or ending with "/") matching pattern.
  void Collect(const QString& folder, const std::string& folderPart, const QString& pattern);
  // Every entry of the theme, hidden ones too: the theme copied whole.
  void CollectAll();

  const std::vector<TFile>& Files() const { return FileList; }
  const std::vector<TSkipped>& Skipped() const { return SkipList; }

 private:
  QString Root;
  std::unordered_set<QString> Visited;
  std::vector<TFile> FileList;
  std::vector<TSkipped> SkipList;

  void AddEntry(const QString& path, const std::string& relative);
  void AddFolder(const QString& real, const std::string& relative);
  void AddNames(const QString& real, const std::string& prefix);
};
