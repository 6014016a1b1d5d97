#pragma once

// One complete reply of an FTP server: its three-digit code and its lines (one, or several for a
// multi-line reply), and the readings of the replies the client acts on.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TFTPReply {
 public:
  int Code = 0;  // 100..599; 0 for a line that is no reply at all
  std::vector<std::string> Lines;

  bool IsPreliminary() const { return Code >= 100 && Code < 200; }
  bool IsPositive() const { return Code >= 200 && Code < 300; }

  // 227: the port of "h1,h2,h3,h4,p1,p2". The address part is checked for form only: the data
  // connection always goes to the control connection's peer.
  bool PassivePort(uint16_t& port) const;
  // 229: the port of "(|||port|)", any printable delimiter.
  bool ExtendedPassivePort(uint16_t& port) const;
  // 257: the quoted path, with doubled quotes inside it undone.
  bool QuotedPath(std::string& path) const;
  // 211 to FEAT: whether a feature line names feature (its first word, any letter case).
  bool HasFeature(std::string_view feature) const;

 private:
  // The first line without its code and separator.
  std::string_view Text() const;
};
