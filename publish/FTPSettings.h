#pragma once

// The connection settings a publishing job works with, copied from the module when it starts.

#include <QString>

struct TFTPSettings {
  QString Protocol = QStringLiteral("ftp");  // "ftp", "ftps" or "sftp" (TTransferProtocol)
  QString Server;
  QString UserName;
  QString Password;
  QString Port = QStringLiteral("21");
  QString RemoteRoot;
  bool PassiveMode = true;
  bool ChangesOnly = true;
  int Timeout = 30000;
  // The run also deletes from the server the files of the record that the site no longer has.
  bool DeleteRemoved = false;
  // FTPS: the SHA-256 fingerprint of a certificate trusted although it does not verify.
  QString TrustedCertificate;
};
