#pragma once

// OpenSSH's sshd on a free port of 127.0.0.1 for one test, with a host key and a configuration
// of its own in a scratch folder (no PAM, the test's authorized_keys, internal-sftp), and a
// client home folder whose ~/.ssh/id_ed25519 the server accepts for the current user. The
// client finds the home through HOME, which the test points at Home().

#include <sys/types.h>

#include <string>

#include "ScratchFolder.h"

class TSSHTestServer {
 public:
  TSSHTestServer();
  ~TSSHTestServer();
  TSSHTestServer(const TSSHTestServer&) = delete;
  TSSHTestServer& operator=(const TSSHTestServer&) = delete;

  std::string Port() const { return PortText; }
  static std::string UserName();
  std::string Home() const { return (Folder.Path() / "home").string(); }
  // The files the server serves are the machine's own: this folder holds the tests' ones.
  const TScratchFolder& Files() const { return Served; }
  // The host key's fingerprint as "ssh-keygen -l" prints it ("SHA256:...").
  std::string HostKeyFingerprint() const;
  // A known_hosts line naming this server with a key it does not have.
  std::string ForeignKeyLine() const;
  // Whether anyone tried to log in (with a password or a key), by the server's log.
  bool LogInTried() const;
  // Ends the server and every session of it at once, as a crash or a broken line would.
  void Kill();
  // Stops the server and its sessions where they are (SIGSTOP), or lets them go on.
  void Freeze(bool frozen);

 private:
  void Configure();
  void WaitForPort() const;

  TScratchFolder Folder;
  TScratchFolder Served;
  std::string PortText;
  pid_t Process = -1;
};
