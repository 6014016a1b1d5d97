#include "generator/SciZipFile.h"

#include <zlib.h>
#include <QFile>
#include <QString>
#include <algorithm>

#include "generator/MiscUtils.h"

namespace {

constexpr uint32_t LocalFileSignature = 0x04034b50;
constexpr uint32_t FileHeaderSignature = 0x02014b50;
constexpr uint32_t EndOfCentralDirSignature = 0x06054b50;

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
    const size_t available = std::min<size_t>(length, Bytes.size() - Pos);
    if (available < length) Short = true;
    std::string text(Bytes.substr(Pos, available));
    Pos += available;
    return text;
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

  std::string output;
  output.reserve(std::min<size_t>(expectedSize, size_t(1) << 20));
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

}  // namespace

void TZipFile::LoadFromFile(const std::string& path) {
  Clear();
  QFile file(FileSystemPath(path));
  // Linux has no share modes to keep writers out; the archive is read in one go instead, so a
  // concurrent writer has only a short window.
  if (!file.open(QIODevice::ReadOnly))
    throw EInkloomError("Cannot open \"" + path + "\": " + file.errorString().toStdString() + ".");
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EInkloomError("Cannot read \"" + path + "\": " + file.errorString().toStdString() + ".");
  LoadFromData(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Entries come from the local headers in file order; the central directory is read after them
// but never used to find them. A cut archive keeps its whole entries. An entry whose header or
// name is cut is dropped (a partial name could be taken for another file); one whose data is
// cut is kept with the bytes that are there, and reading it then fails the size or CRC check.
void TZipFile::LoadFromData(std::string_view bytes) {
  Clear();
  TArchiveReader in{bytes};

  // The first local header is looked for in whole words, as archivers write it at offset 0.
  uint32_t word = 0;
  do {
    if (in.AtEnd()) return;
    word = in.U32();
  } while (word != LocalFileSignature);

  while (word == LocalFileSignature) {
    TLocalFile file;
    file.Signature = word;
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
    if (in.Short) return;
    file.ExtraField = in.Take(file.ExtraFieldLength);
    file.Data = in.Take(file.CompressedSize);
    Files.push_back(std::move(file));
    if (in.Short) return;
    word = in.U32();
  }

  while (word == FileHeaderSignature) {
    TFileHeader header;
    header.Signature = word;
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
    if (in.Short) return;
    header.FileName = in.Take(header.FileNameLength);
    header.ExtraField = in.Take(header.ExtraFieldLength);
    header.FileComment = in.Take(header.FileCommentLength);
    Headers.push_back(std::move(header));
    if (in.Short) return;
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

std::string TZipFile::Data(int index) const {
  const TLocalFile& file = Entry(index);
  std::string result =
      file.CompressionMethod == 0 ? file.Data : Inflate(file.Data, file.UncompressedSize);
  const uLong crc = crc32_z(0, reinterpret_cast<const Bytef*>(result.data()), result.size());
  if (crc != file.CRC32) throw EZipFileCRCError("CRC Error in \"" + file.FileName + "\".");
  return result;
}
