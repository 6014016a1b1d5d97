#pragma once

// A fresh folder under the system's temporary folder for one test, removed with everything in
// it when the test ends.

#include <filesystem>
#include <string>

class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::filesystem::path Path() const { return Folder; }
  // Writes a file below the folder (UTF-8 name) and returns its full path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The bytes of a file below the folder; empty when it cannot be read.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::filesystem::path Folder;
};
