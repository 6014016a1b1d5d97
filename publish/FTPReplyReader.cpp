#include "publish/FTPReplyReader.h"

#include <utility>

namespace {

// The reply code a line begins with (three digits, the first 1 to 5), or 0.
int LineCode(std::string_view line) {
  if (line.size() < 3) return 0;
  for (int i = 0; i < 3; ++i)
    if (line[i] < '0' || line[i] > '9') return 0;
  if (line[0] < '1' || line[0] > '5') return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

}  // namespace

void TFTPReplyReader::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view piece = bytes.substr(0, end);
    if (!PartialCut) {
      size_t room = MaxLineLength - Partial.size();
      if (piece.size() > room) PartialCut = true;
      Partial.append(piece.substr(0, room));
    }
    if (end == std::string_view::npos) return;
    bytes.remove_prefix(end + 1);
    if (!Partial.empty() && Partial.back() == '\r') Partial.pop_back();
    TakeLine(std::move(Partial));
    Partial.clear();
    PartialCut = false;
  }
}

void TFTPReplyReader::TakeLine(std::string line) {
  int code = LineCode(line);
  if (InMultiLine) {
    bool last = code == Current.Code && (line.size() == 3 || line[3] == ' ');
    if (Current.Lines.size() < MaxLines || last) Current.Lines.push_back(std::move(line));
    if (!last) return;
    InMultiLine = false;
    Complete.push_back(std::move(Current));
    Current = TFTPReply();
    return;
  }
  if (line.empty()) return;  // a stray line end between replies
  TFTPReply reply;
  reply.Code = code;
  bool opensMultiLine = code != 0 && line.size() > 3 && line[3] == '-';
  reply.Lines.push_back(std::move(line));
  if (opensMultiLine) {
    Current = std::move(reply);
    InMultiLine = true;
  } else {
    Complete.push_back(std::move(reply));
  }
}

bool TFTPReplyReader::Next(TFTPReply& reply) {
  if (Complete.empty()) return false;
  reply = std::move(Complete.front());
  Complete.pop_front();
  return true;
}

void TFTPReplyReader::Clear() {
  Partial.clear();
  PartialCut = false;
  InMultiLine = false;
  Current = TFTPReply();
  Complete.clear();
}
