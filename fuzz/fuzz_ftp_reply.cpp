// Replies come from any server the user names. Cutting them into replies must not depend on
// how the bytes were split by the network, must stay within its bounds, and reading 227, 229,
// 257 and FEAT replies must never read outside them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "publish/FTPReply.h"
#include "publish/FTPReplyReader.h"

namespace {

std::vector<TFTPReply> ReadAll(std::string_view bytes, size_t piece) {
  TFTPReplyReader reader;
  std::vector<TFTPReply> replies;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.substr(at, piece));
    for (TFTPReply reply; reader.Next(reply);) replies.push_back(reply);
  }
  return replies;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = data[0] % 64 + 1;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<TFTPReply> whole = ReadAll(bytes, bytes.size() + 1);
  std::vector<TFTPReply> pieces = ReadAll(bytes, piece);
  Check(whole.size() == pieces.size());
  for (size_t i = 0; i < whole.size(); ++i) {
    const TFTPReply& reply = whole[i];
    Check(reply.Code == pieces[i].Code && reply.Lines == pieces[i].Lines);
    Check(reply.Code == 0 || (reply.Code >= 100 && reply.Code < 600));
    Check(!reply.Lines.empty() && reply.Lines.size() <= TFTPReplyReader::MaxLines + 1);
    for (const std::string& line : reply.Lines) Check(line.size() <= TFTPReplyReader::MaxLineLength);
    uint16_t port = 0;
    if (reply.PassivePort(port)) Check(port != 0);
    if (reply.ExtendedPassivePort(port)) Check(port != 0);
    std::string path;
    if (reply.QuotedPath(path)) Check(path.size() < reply.Lines[0].size());
    reply.HasFeature("UTF8");
    reply.HasFeature("EPSV");
  }
  return 0;
}
