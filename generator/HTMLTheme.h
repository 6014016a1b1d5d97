#pragma once

// One theme: a folder or a zip archive of templates and resources, with an optional info.xml
// giving its title and the text a new project starts with. Names inside a theme are relative
// paths; "\" and "/" both separate folders.

#include "generator/ThemeFiles.h"

#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TZipFile;

class THTMLTheme {
 public:
  THTMLTheme();
  ~THTMLTheme();

  // Loads the folder at path, else the archive path, path + ".zip" or path + extension.
  // False, with no theme loaded, when none of them can be read; BrokenArchive then names the
  // first of them that exists but holds no entries (no zip archive, or an empty one).
  bool Load(const std::string& path, const std::string& extension);
  void Clear();
  const std::string& BrokenArchive() const { return BrokenArchivePath; }
  // Forgets the files read so far, so that the next reads see what the program wrote since.
  void Forget();
  bool IsLoaded() const { return Archive || !Folder.empty(); }

  bool FileExists(std::string_view name) const;
  // The bytes of a theme file; an archive entry that cannot be read raises
  // EThemeArchiveError. Safe to call from several threads while the theme stays loaded.
  bool ReadFile(std::string_view name, std::string& bytes) const;
  // The template name, name + ".html" or name + ".htm" (the default template for an empty
  // name), converted from the code page to UTF-8.
  bool ReadTemplate(std::string_view name, std::string& utf8) const;
  // What CopyResource did: the files copied ("/"-separated below the destination), the theme
  // files it skipped, and whether a folder link in the destination led out of it.
  struct TCopyReport {
    std::vector<std::string> Copied;
    std::vector<TThemeFiles::TSkipped> Skipped;
    bool LeadsOut = false;
  };
  // Copies one file, or every file matching a wildcard pattern (a folder with all below it),
  // to the same relative place below destination, never following a link there (see
  // TFolderWriter). Names that lead out of the theme or the destination are skipped.
  void CopyResource(std::string_view name, const std::string& destination, TCopyReport& report) const;
  // Copies the whole theme into destination.
  void ExtractTo(const std::string& destination) const;

  const std::string& ArchiveFile() const { return ArchivePath; }
  const std::string& FolderPath() const { return Folder; }
  const std::string& DefaultTemplate() const { return DefaultTemplateName; }
  const QString& Title() const { return TitleText; }
  const QString& ProjectText() const { return InitialProjectText; }

 private:
  std::unique_ptr<TZipFile> Archive;
  std::string ArchivePath;
  std::string BrokenArchivePath;
  std::string Folder;  // with a trailing separator
  QString FolderReal;  // its real path: theme files are read only inside it
  std::string DefaultTemplateName;
  QString TitleText;
  QString InitialProjectText;
  // Files read so far (nullopt: missing). A generation asks for the same template and style
  // sheets for every page; the theme is loaded afresh at the start of each generation.
  mutable std::unordered_map<std::string, std::optional<std::string>> FileCache;
  // Templates found so far, in UTF-8, by code page and the name asked for (nullopt: none).
  mutable std::unordered_map<std::string, std::optional<std::string>> TemplateCache;
  mutable std::mutex FileCacheMutex;  // the generator's page writers read style sheets too

  // The bytes of an archive entry; its errors name the archive and the entry.
  std::string EntryData(int index) const;
  void CopyFolderResource(const std::string& relative, const std::string& destination,
                          TCopyReport& report) const;
  static void CopyBytes(const std::string& destination, const std::string& relative,
                        const std::string& bytes, TCopyReport& report);
  static void CopyFiles(const TThemeFiles& files, const std::string& destination, TCopyReport& report);
  bool ReadFileUncached(std::string_view name, std::string& bytes) const;
  bool ReadTemplateUncached(std::string_view name, std::string& utf8) const;
  bool LoadArchive(const std::string& path);
  void ReadInfo();
  void FindDefaultTemplate();
  // The index of the last archive entry of that name (letter case aside), or -1.
  int FindEntry(std::string_view name) const;
  // The file of a folder theme, or an empty path when it is missing or outside the theme.
  QString FolderFile(std::string_view name) const;
};
