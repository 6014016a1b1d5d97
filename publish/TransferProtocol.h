#pragma once

// The protocols a project publishes with, by the names its file gives them in the Settings
// attribute Protocol: "ftp" (also when the attribute is absent), "ftps" (FTP with explicit TLS)
// and "sftp" (the SSH file transfer protocol).

#include <QString>

#include <cstdint>

struct TTransferProtocol {
  enum TKind { tpFTP, tpFTPS, tpSFTP };

  // The protocol of a name, in any letter case, blanks around it allowed; an empty name is
  // plain FTP. False for a name this version does not know: such a project must not be
  // published with some other protocol.
  static bool FromName(const QString& name, TKind& kind);
  static QString Name(TKind kind);
  // 21 for FTP and FTPS, 22 for SFTP.
  static uint16_t StandardPort(TKind kind);
  // The port once the protocol becomes kind: its standard port when the port was empty or the
  // standard port of the protocol before (oldStandard); a port the user chose stays as it is.
  static QString FollowingPort(const QString& port, uint16_t oldStandard, TKind kind);
  // The name as the settings keep it: trimmed, lower case, "ftp" for an empty one.
  static QString Normalized(const QString& name);
};
