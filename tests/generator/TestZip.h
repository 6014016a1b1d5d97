#pragma once

// Pieces of the zip archives tests make byte by byte: little-endian numbers and the end record.

#include <cstdint>
#include <string>

inline void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Appends the central directory and the end record that points at it.
inline void AppendCentralDirectory(std::string& out, const std::string& directory, size_t entries) {
  uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries));
  Put16(out, static_cast<uint32_t>(entries));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, directoryOffset);
  Put16(out, 0);
}
