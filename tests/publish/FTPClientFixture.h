#pragma once

// A client pointed at a test server of its own, with the progress calls of its uploads
// recorded. The client goes before the server, so that its QUIT still finds someone.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FTPTestServer.h"
#include "ScratchFolder.h"
#include "publish/FTPClient.h"

class TFTPClientFixture : public ::testing::Test {
 protected:
  using TProgressCall = std::pair<int64_t, int64_t>;  // (written, total)

  TFTPClientFixture();
  // Starts the server with these switches and gives the client its address and the test
  // account, binary transfers, passive mode and a time-out long enough for a busy machine.
  void StartServer(const std::vector<std::string>& switches = {});
  // Bytes of every value, CR and LF among them.
  static std::string Pattern(size_t size);
  // Writes a local file and sends it; the result of PutFile.
  bool Upload(const std::string& localName, const std::string& bytes,
              const std::string& remoteName);

  std::unique_ptr<TFTPTestServer> Server;
  TScratchFolder LocalFiles;
  TFTPClient Client;
  std::vector<TProgressCall> Progress;
  size_t AbortAtCall = 0;  // the progress call (counted from 1) that asks to abort; 0: none
};
