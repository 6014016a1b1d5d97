#include "generator/SciZipFile.h"

#include <zlib.h>
#include <QFile>
#include <QString>
#include <algorithm>
#include <unordered_map>

#include "generator/MiscUtils.h"

namespace {

constexpr uint32_t LocalFileSignature = 0x04034b50;
constexpr uint32_t FileHeaderSignature = 0x02014b50;
constexpr uint32_t EndOfCentralDirSignature = 0x06054b50;
constexpr uint32_t DataDescriptorSignature = 0x08074b50;
constexpr uint16_t kDataDescriptorFlag = 0x0008;
// The end record lies in the last 22 bytes plus at most a 64 KB comment; a hostile archive
// could claim any number of directory entries.
constexpr size_t kMaxEndSearch = 22 + 0xFFFF;
constexpr size_t kMaxEntries = 1 << 20;

// Little-endian fields from the archive bytes. Reading past the end is not an error: a number
// keeps the bytes that were there (the rest zero), a string is cut short, and Short is set so
// the caller can tell a whole record from a cut one.
struct TArchiveReader {
  std::string_view Bytes;
  size_t Pos = 0;
  bool Short = false;

  bool AtEnd() const { return Pos >= Bytes.size(); }

  uint32_t Number(int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
      if (Pos < Bytes.size())
        value |= uint32_t(static_cast<unsigned char>(Bytes[Pos++])) << (8 * i);
      else
        Short = true;
    }
    return value;
  }
  uint16_t U16() { return static_cast<uint16_t>(Number(2)); }
  uint32_t U32() { return Number(4); }

  std::string Take(uint32_t length) {
    const size_t from = std::min(Pos, Bytes.size());
    const size_t available = std::min<size_t>(length, Bytes.size() - from);
    if (available < length) Short = true;
    Pos = from + available;
    return std::string(Bytes.substr(from, available));
  }
};

// Inflates a raw deflate stream that must yield exactly expectedSize bytes; anything else gives
// the empty result. The declared size is not trusted for allocation (a crafted header may claim
// 4 GB for a few bytes of input): output is collected as it arrives and inflation stops as soon
// as it passes the declared size.
std::string Inflate(std::string_view input, uint32_t expectedSize) {
  z_stream stream{};
  int rc = inflateInit2(&stream, -MAX_WBITS);
  if (rc != Z_OK) throw EInkloomError(stream.msg ? stream.msg : zError(rc));
  struct TEnd {
    z_stream* Stream;
    ~TEnd() { inflateEnd(Stream); }
  } end{&stream};

  // Stored sizes are 32-bit, so the input always fits zlib's length type.
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());

  // The caller has bounded the declared size: one buffer of it, not a doubling string.
  std::string output;
  output.reserve(expectedSize);
  unsigned char chunk[64 * 1024];
  for (;;) {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    rc = inflate(&stream, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
      throw EInkloomError(stream.msg ? stream.msg : zError(rc));
    const size_t produced = sizeof chunk - stream.avail_out;
    if (produced > expectedSize - output.size()) return {};
    output.append(reinterpret_cast<const char*>(chunk), produced);
    // Z_BUF_ERROR: the input ran out before the stream's end. What came out is still judged by
    // its size and then by the CRC check.
    if (rc != Z_OK) break;
  }
  if (output.size() != expectedSize) return {};
  return output;
}


// The fixed fields and the name and extra field of a local header (its signature read);
// false when they are cut short.
bool ReadLocalHeader(TArchiveReader& in, TLocalFile& file) {
  file.VersionNeeded = in.U16();
  file.Flags = in.U16();
  file.CompressionMethod = in.U16();
  file.ModificationTime = in.U16();
  file.ModificationDate = in.U16();
  file.CRC32 = in.U32();
  file.CompressedSize = in.U32();
  file.UncompressedSize = in.U32();
  file.FileNameLength = in.U16();
  file.ExtraFieldLength = in.U16();
  file.FileName = in.Take(file.FileNameLength);
  if (in.Short) return false;
  file.ExtraField = in.Take(file.ExtraFieldLength);
  return true;
}

// A central directory record (its signature read); false when it is cut short.
bool ReadFileHeader(TArchiveReader& in, TFileHeader& header) {
  header.Signature = FileHeaderSignature;
  header.VersionMadeBy = in.U16();
  header.VersionNeeded = in.U16();
  header.Flags = in.U16();
  header.CompressionMethod = in.U16();
  header.ModificationTime = in.U16();
  header.ModificationDate = in.U16();
  header.CRC32 = in.U32();
  header.CompressedSize = in.U32();
  header.UncompressedSize = in.U32();
  header.FileNameLength = in.U16();
  header.ExtraFieldLength = in.U16();
  header.FileCommentLength = in.U16();
  header.DiskNumberStart = in.U16();
  header.InternalAttributes = in.U16();
  header.ExternalAttributes = in.U32();
  header.LocalHeaderOffset = in.U32();
  if (in.Short) return false;
  header.FileName = in.Take(header.FileNameLength);
  header.ExtraField = in.Take(header.ExtraFieldLength);
  header.FileComment = in.Take(header.FileCommentLength);
  return !in.Short;
}

// The sizes and CRC of an entry written with a data descriptor, from its central record.
bool TakeCentralSizes(const std::unordered_map<uint32_t, TFileHeader>& central, uint32_t offset,
                      TLocalFile& file) {
  auto found = central.find(offset);
  if (found == central.end()) return false;
  file.CRC32 = found->second.CRC32;
  file.CompressedSize = found->second.CompressedSize;
  file.UncompressedSize = found->second.UncompressedSize;
  return true;
}

// Skips the data descriptor that follows an entry's data (word: its first four bytes, with or
// without the descriptor's own signature) and returns the word after it.
uint32_t SkipDataDescriptor(TArchiveReader& in, uint32_t word, uint32_t crc) {
  if (word == DataDescriptorSignature) word = in.U32();
  if (word != crc) return word;
  in.Pos += 8;  // the two sizes
  return in.U32();
}

}  // namespace

void TZipFile::LoadFromFile(const std::string& path) {
  Clear();
  QFile file(FileSystemPath(path));
  // Linux has no share modes to keep writers out; the archive is read in one go instead, so a
  // concurrent writer has only a short window.
  if (!file.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open \"" + path + "\": " + file.errorString().toStdString() + ".");
  if (static_cast<uint64_t>(file.size()) > kMaxTotalBytes)
    throw EInkloomError("\"" + path + "\" is larger than a theme archive may be.");
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EInkloomError("Cannot read \"" + path + "\": " + file.errorString().toStdString() + ".");
  LoadFromData(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

namespace {

// The offset of the end record, looked for backwards from the archive's end (an archive
// comment may follow it), or npos.
size_t FindEndRecord(std::string_view bytes) {
  if (bytes.size() < 22) return std::string_view::npos;
  const size_t first = bytes.size() > kMaxEndSearch ? bytes.size() - kMaxEndSearch : 0;
  for (size_t at = bytes.size() - 22; at + 1 > first; --at) {
    TArchiveReader end{bytes, at};
    if (end.U32() == EndOfCentralDirSignature) return at;
  }
  return std::string_view::npos;
}

// The central directory's record of each entry, by the offset of its local header.
std::unordered_map<uint32_t, TFileHeader> CentralDirectory(std::string_view bytes) {
  std::unordered_map<uint32_t, TFileHeader> byOffset;
  const size_t end = FindEndRecord(bytes);
  if (end == std::string_view::npos) return byOffset;
  TArchiveReader in{bytes, end + 16};
  in.Pos = in.U32();
  TFileHeader header;
  while (byOffset.size() < kMaxEntries && in.U32() == FileHeaderSignature && ReadFileHeader(in, header))
    byOffset.emplace(header.LocalHeaderOffset, header);
  return byOffset;
}

}  // namespace

// Entries come from the local headers in file order; the central directory is read after them.
// An entry written with a data descriptor (a stream that could not seek back) has no sizes in
// its local header: those come from the central directory, and the descriptor after its data is
// skipped. A cut archive keeps its whole entries. An entry whose header or name is cut is
// dropped (a partial name could be taken for another file); one whose data is cut is kept with
// the bytes that are there, and reading it then fails the size or CRC check.
void TZipFile::LoadFromData(std::string_view bytes) {
  Clear();
  TArchiveReader in{bytes};

  // The first local header is looked for in whole words, as archivers write it at offset 0.
  uint32_t word = 0;
  do {
    if (in.AtEnd()) return;
    word = in.U32();
  } while (word != LocalFileSignature);

  std::unordered_map<uint32_t, TFileHeader> central;
  while (word == LocalFileSignature) {
    const uint32_t offset = static_cast<uint32_t>(in.Pos - 4);
    TLocalFile file;
    file.Signature = word;
    if (!ReadLocalHeader(in, file)) return;
    const bool described = (file.Flags & kDataDescriptorFlag) != 0;
    if (described) {
      if (central.empty()) central = CentralDirectory(bytes);
      if (!TakeCentralSizes(central, offset, file)) return;  // where its data ends is unknown
    }
    file.Data = in.Take(file.CompressedSize);
    TotalBytes += std::max<uint64_t>(file.UncompressedSize, file.Data.size());
    Files.push_back(std::move(file));
    if (in.Short) return;
    word = in.U32();
    if (described) word = SkipDataDescriptor(in, word, Files.back().CRC32);
  }

  TFileHeader header;
  while (word == FileHeaderSignature && ReadFileHeader(in, header)) {
    Headers.push_back(header);
    word = in.U32();
  }

  if (word == EndOfCentralDirSignature) {
    End.Signature = word;
    End.DiskNumber = in.U16();
    End.CentralDirDisk = in.U16();
    End.EntriesOnDisk = in.U16();
    End.EntriesTotal = in.U16();
    End.CentralDirSize = in.U32();
    End.CentralDirOffset = in.U32();
    End.CommentLength = in.U16();
    ArchiveComment = in.Take(End.CommentLength);
  }
}

void TZipFile::Clear() {
  Files.clear();
  Headers.clear();
  End = TEndOfCentralDir();
  ArchiveComment.clear();
  TotalBytes = 0;
}

int TZipFile::Count() const {
  return static_cast<int>(Files.size());
}

const TLocalFile& TZipFile::Entry(int index) const {
  if (index < 0 || index >= Count()) throw EInkloomError("Index out of range.");
  return Files[static_cast<size_t>(index)];
}

std::string TZipFile::Name(int index) const {
  return Entry(index).FileName;
}

// Checked before anything is unpacked: what an entry declares decides what it may cost.
void TZipFile::CheckSize(const TLocalFile& file) const {
  const uint64_t declared = std::max<uint64_t>(file.UncompressedSize, file.Data.size());
  if (declared > kMaxEntryBytes)
    throw EInkloomError("\"" + file.FileName + "\" unpacks to more than " +
                        std::to_string(kMaxEntryBytes >> 20) + " MB.");
  if (TotalBytes > kMaxTotalBytes)
    throw EInkloomError("the archive unpacks to more than " + std::to_string(kMaxTotalBytes >> 20) +
                        " MB; \"" + file.FileName + "\" is not read.");
}

std::string TZipFile::Data(int index) const {
  const TLocalFile& file = Entry(index);
  CheckSize(file);
  std::string result =
      file.CompressionMethod == 0 ? file.Data : Inflate(file.Data, file.UncompressedSize);
  const uLong crc = crc32_z(0, reinterpret_cast<const Bytef*>(result.data()), result.size());
  if (crc != file.CRC32) throw EZipFileCRCError("CRC Error in \"" + file.FileName + "\".");
  return result;
}
