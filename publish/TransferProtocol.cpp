#include "publish/TransferProtocol.h"

namespace {

const char* const kNames[] = {"ftp", "ftps", "sftp"};

}  // namespace

bool TTransferProtocol::FromName(const QString& name, TKind& kind) {
  const QString normalized = Normalized(name);
  for (int i = tpFTP; i <= tpSFTP; ++i) {
    if (normalized != QLatin1String(kNames[i])) continue;
    kind = static_cast<TKind>(i);
    return true;
  }
  return false;
}

QString TTransferProtocol::Name(TKind kind) {
  return QLatin1String(kNames[kind]);
}

uint16_t TTransferProtocol::StandardPort(TKind kind) {
  return kind == tpSFTP ? 22 : 21;
}

QString TTransferProtocol::FollowingPort(const QString& port, uint16_t oldStandard, TKind kind) {
  const QString given = port.trimmed();
  if (!given.isEmpty() && given != QString::number(oldStandard)) return port;
  return QString::number(StandardPort(kind));
}

QString TTransferProtocol::Normalized(const QString& name) {
  const QString normalized = name.trimmed().toLower();
  return normalized.isEmpty() ? Name(tpFTP) : normalized;
}
