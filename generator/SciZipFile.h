#pragma once

// A small read-only zip reader for theme archives: entries stored or compressed with deflate,
// one disk, no encryption. The whole archive is held in memory; each call of Data inflates the
// entry again and checks its CRC-32.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "generator/InkloomError.h"

class EZipFileCRCError : public EInkloomError {
 public:
  using EInkloomError::EInkloomError;
};

// The local header of an entry and the entry's stored (possibly compressed) bytes.
struct TLocalFile {
  uint32_t Signature = 0;
  uint16_t VersionNeeded = 0;
  uint16_t Flags = 0;
  uint16_t CompressionMethod = 0;  // 0 stored, anything else is inflated
  uint16_t ModificationTime = 0;
  uint16_t ModificationDate = 0;
  uint32_t CRC32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;
  std::string FileName;
  std::string ExtraField;
  std::string Data;  // shorter than CompressedSize when the archive is cut short
};

// A central directory entry. Read and kept, but entries are found through the local headers.
struct TFileHeader {
  uint32_t Signature = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeeded = 0;
  uint16_t Flags = 0;
  uint16_t CompressionMethod = 0;
  uint16_t ModificationTime = 0;
  uint16_t ModificationDate = 0;
  uint32_t CRC32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;
  uint16_t FileCommentLength = 0;
  uint16_t DiskNumberStart = 0;
  uint16_t InternalAttributes = 0;
  uint32_t ExternalAttributes = 0;
  uint32_t LocalHeaderOffset = 0;
  std::string FileName;
  std::string ExtraField;
  std::string FileComment;
};

// The end of central directory record (its comment is kept by TZipFile).
struct TEndOfCentralDir {
  uint32_t Signature = 0;
  uint16_t DiskNumber = 0;
  uint16_t CentralDirDisk = 0;
  uint16_t EntriesOnDisk = 0;
  uint16_t EntriesTotal = 0;
  uint32_t CentralDirSize = 0;
  uint32_t CentralDirOffset = 0;
  uint16_t CommentLength = 0;
};

class TZipFile {
 public:
  // What a theme archive may unpack: generous for real themes (a few MB), far from what a
  // crafted one declares. Each entry, and all entries together (so also the archive file).
  static constexpr uint64_t kMaxEntryBytes = uint64_t(64) << 20;
  static constexpr uint64_t kMaxTotalBytes = uint64_t(256) << 20;

  // Raises EInkloomError when the file cannot be opened or read. Anything that is not a zip
  // archive loads as an archive without entries.
  void LoadFromFile(const std::string& path);
  void LoadFromData(std::string_view bytes);
  void Clear();

  int Count() const;
  // Both raise EInkloomError("Index out of range.") for a bad index.
  std::string Name(int index) const;
  // The uncompressed bytes; EZipFileCRCError when they do not match the stored CRC-32,
  // EInkloomError with zlib's message when the deflate stream is damaged, and when the entry
  // or the whole archive declares more than the limits above.
  std::string Data(int index) const;

  const std::vector<TLocalFile>& LocalFiles() const { return Files; }
  const std::vector<TFileHeader>& FileHeaders() const { return Headers; }
  const TEndOfCentralDir& EndOfCentralDir() const { return End; }
  const std::string& Comment() const { return ArchiveComment; }

 private:
  std::vector<TLocalFile> Files;
  std::vector<TFileHeader> Headers;
  TEndOfCentralDir End;
  std::string ArchiveComment;
  uint64_t TotalBytes = 0;  // what every entry together declares

  const TLocalFile& Entry(int index) const;
  void CheckSize(const TLocalFile& file) const;
};
