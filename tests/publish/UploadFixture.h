#pragma once

// The publishing module pointed at a test server of its own, with a local output folder to
// upload from and the remote root "/www" made on the server.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FTPTestServer.h"
#include "ScratchFolder.h"
#include "publish/FTPUploadModule.h"
#include "services/MultiActionHandler.h"

class TUploadFixture : public ::testing::Test {
 protected:
  TUploadFixture();
  void StartServer(const std::vector<std::string>& switches = {});
  // One upload run of the output folder; its outcome.
  int Upload();
  // One connection test with the module's settings and this folder; its outcome.
  int Test(const QString& folder);
  // Runs on the worker thread at every OnFileAction.
  void OnFile(std::function<void()> handler);

  // The record's digest for a path ("img\\a.png"); empty when not recorded.
  QString Recorded(const QString& path);
  // The command lines the server received that begin with prefix.
  std::vector<std::string> Received(const std::string& prefix) const;

  std::unique_ptr<TFTPTestServer> Server;
  TScratchFolder Site;
  TFTPUploadModule Module;
  TMultiActionHandler FileHandler;
};
