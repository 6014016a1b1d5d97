#pragma once

// The stored placement of a window: the window system's 44-byte record, every field a 32-bit
// little-endian integer, kept as a binary value in the settings file so that files made on
// Windows keep working.

#include <QByteArray>

#include <cstdint>

class TWindowPlacement {
 public:
  static constexpr int Size = 44;
  static constexpr int32_t FlagRestoreToMaximized = 2;
  static constexpr int32_t ShowNormal = 1;
  static constexpr int32_t ShowMinimized = 2;
  static constexpr int32_t ShowMaximized = 3;

  int32_t Length = Size;
  int32_t Flags = 0;
  int32_t ShowCmd = ShowNormal;
  int32_t MinX = -1, MinY = -1;
  int32_t MaxX = -1, MaxY = -1;
  // The restored (not maximised) rectangle; Right and Bottom lie just outside it.
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

  QByteArray ToBytes() const;
  // False, leaving placement alone, unless bytes holds exactly Size bytes.
  static bool FromBytes(const QByteArray& bytes, TWindowPlacement& placement);

  bool operator==(const TWindowPlacement& other) const;
  bool operator!=(const TWindowPlacement& other) const { return !(*this == other); }
};
