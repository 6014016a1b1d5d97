// What the client decides before it talks to any server.

#include <gtest/gtest.h>

#include "publish/FTPClient.h"

TEST(FTPClientOffline, PortTextBecomesAPortNumber) {
  EXPECT_EQ(TFTPClient::PortNumber("2121"), 2121);
  EXPECT_EQ(TFTPClient::PortNumber(" 990 "), 990);
  EXPECT_EQ(TFTPClient::PortNumber("65535"), 65535);
  // Anything that is no port number at all gives the standard port, never a wrapped value.
  for (const char* text : {"", "0", "abc", "21x", "-5", "65536", "70000", "99999999999", "2 1"})
    EXPECT_EQ(TFTPClient::PortNumber(text), 21) << '"' << text << '"';
}

TEST(FTPClientOffline, EveryOperationFailsWithoutAConnection) {
  TFTPClient client;
  EXPECT_FALSE(client.Connected());
  EXPECT_FALSE(client.SetCurrentDir("/"));
  EXPECT_EQ(client.GetCurrentDir(), "");
  EXPECT_FALSE(client.CreateDir("new"));
  EXPECT_FALSE(client.DeleteFile("old"));
  int progressCalls = 0;
  client.SetOnProgress([&](TTransferClient&, int64_t, bool&, int64_t) { ++progressCalls; });
  EXPECT_FALSE(client.PutFile(INKLOOM_SOURCE_DIR "/CMakeLists.txt", "CMakeLists.txt"));
  EXPECT_EQ(progressCalls, 0);
  client.Disconnect();
  EXPECT_FALSE(client.Connected());
}

TEST(FTPClientOffline, ConnectFailsWithoutAServerName) {
  TFTPClient client;
  client.SetTimeout(5000);
  EXPECT_FALSE(client.Connect());
  EXPECT_FALSE(client.Connected());
}
