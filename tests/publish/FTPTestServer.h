#pragma once

// The FTP server of tests/publish/ftp_server.py (pyftpdlib) on 127.0.0.1, started for one test
// with the given switches and stopped with it. Its home folder and its command log live in a
// scratch folder of their own.

#include <sys/types.h>

#include <string>
#include <vector>

#include "ScratchFolder.h"

class TFTPTestServer {
 public:
  static constexpr const char* UserName = "alice";
  static constexpr const char* Password = "secret";

  explicit TFTPTestServer(const std::vector<std::string>& switches = {});
  ~TFTPTestServer();
  TFTPTestServer(const TFTPTestServer&) = delete;
  TFTPTestServer& operator=(const TFTPTestServer&) = delete;

  std::string Port() const { return PortText; }
  // The server's home folder, which the test account and anonymous see as "/".
  const TScratchFolder& Home() const { return HomeFolder; }
  // Every command line the server received so far, in order.
  std::vector<std::string> Commands() const;
  // Whether a received command line begins with prefix.
  bool Received(const std::string& prefix) const;
  // Ends the server at once, its connections with it, as a crash or a broken line would.
  void Kill();
  // Stops the server where it is (SIGSTOP), as a hung host would, or lets it go on.
  void Freeze(bool frozen);

  // A port on 127.0.0.1 that nothing listens on (the system just handed it out and took it back).
  static std::string UnusedPort();

 private:
  // Closes the server's stdin, which ends it; kills it if it lingers.
  void Stop();

  TScratchFolder HomeFolder;
  TScratchFolder LogFolder;
  std::string PortText;
  pid_t Process = -1;
  int Input = -1;  // the server's stdin; it stops when this closes
};
