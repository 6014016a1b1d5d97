#include "services/WindowPlacement.h"

#include <QtEndian>

#include <array>

namespace {

constexpr int FieldCount = TWindowPlacement::Size / 4;

// The fields in the order of the record.
std::array<int32_t*, FieldCount> Fields(TWindowPlacement& p) {
  return {&p.Length, &p.Flags, &p.ShowCmd, &p.MinX,  &p.MinY,  &p.MaxX,
          &p.MaxY,   &p.Left,  &p.Top,     &p.Right, &p.Bottom};
}

}  // namespace

QByteArray TWindowPlacement::ToBytes() const {
  QByteArray bytes(Size, '\0');
  TWindowPlacement copy = *this;
  auto fields = Fields(copy);
  for (int i = 0; i < FieldCount; ++i) qToLittleEndian<int32_t>(*fields[i], bytes.data() + 4 * i);
  return bytes;
}

bool TWindowPlacement::FromBytes(const QByteArray& bytes, TWindowPlacement& placement) {
  if (bytes.size() != Size) return false;
  auto fields = Fields(placement);
  for (int i = 0; i < FieldCount; ++i)
    *fields[i] = qFromLittleEndian<int32_t>(bytes.constData() + 4 * i);
  return true;
}

bool TWindowPlacement::operator==(const TWindowPlacement& other) const {
  return ToBytes() == other.ToBytes();
}
