#pragma once

// The user's OpenSSH known_hosts file, $HOME/.ssh/known_hosts, in which SFTP checks the servers'
// host keys, and where a key the user chose to trust is added.

#include <string>

class TKnownHosts {
 public:
  // $HOME/.ssh (the password database's home folder when HOME is not set).
  static std::string Folder();
  static std::string Path();
  // Appends a line as a server's host key gives it (TFTPError::HostKeyEntry), making the folder
  // (readable by the user only) and the file when they are missing. False, with the system's
  // reason, when the file cannot be written.
  static bool Add(const std::string& entry, std::string& why);
};
