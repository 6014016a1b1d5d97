#include "ScratchFolder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

TScratchFolder::TScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "inkloom-ftp-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  Folder = pattern;
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder, ignored);
}

std::string TScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path path = Folder / std::filesystem::u8path(name);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string TScratchFolder::Read(const std::string& name) const {
  std::ifstream file(Folder / std::filesystem::u8path(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool TScratchFolder::Exists(const std::string& name) const {
  return std::filesystem::exists(Folder / std::filesystem::u8path(name));
}
