#pragma once

// Cuts the bytes of an FTP control connection into replies. A multi-line reply ("211-...")
// lasts until a line that begins with the same code and a space. Lines and replies are kept
// only up to a size no honest server comes near, so a hostile one cannot exhaust memory.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "publish/FTPReply.h"

class TFTPReplyReader {
 public:
  static constexpr size_t MaxLineLength = 4096;
  static constexpr size_t MaxLines = 1000;

  void Feed(std::string_view bytes);
  // Takes the oldest complete reply; false while none is complete.
  bool Next(TFTPReply& reply);
  void Clear();

 private:
  void TakeLine(std::string line);

  std::string Partial;  // the line being received, without its end
  bool PartialCut = false;
  bool InMultiLine = false;
  TFTPReply Current;
  std::deque<TFTPReply> Complete;
};
