// Log-in and the folder commands against a real server.

#include "FTPClientFixture.h"

using FTPSession = TFTPClientFixture;

TEST_F(FTPSession, LogsInAndReportsTheStartFolder) {
  StartServer();
  ASSERT_TRUE(Client.Connect());
  EXPECT_TRUE(Client.Connected());
  EXPECT_EQ(Client.GetCurrentDir(), "/");
  Client.Disconnect();
  EXPECT_FALSE(Client.Connected());
  EXPECT_FALSE(Client.SetCurrentDir("/"));
  EXPECT_TRUE(Server->Received("QUIT"));
}

TEST_F(FTPSession, RefusedLogInLeavesTheClientDisconnected) {
  StartServer();
  Client.SetPassword("wrong");
  EXPECT_FALSE(Client.Connect());
  EXPECT_FALSE(Client.Connected());
  EXPECT_EQ(Client.LastError().Kind, TFTPError::feLogInRefused);
  EXPECT_EQ(Client.LastError().Detail.substr(0, 4), "530 ");
  EXPECT_EQ(Client.GetCurrentDir(), "");
  Client.SetUserName("mallory");
  Client.SetPassword(TFTPTestServer::Password);
  EXPECT_FALSE(Client.Connect());
}

TEST_F(FTPSession, EmptyUserNameLogsInAsAnonymous) {
  StartServer({"--anonymous-only"});
  Client.SetUserName("");
  Client.SetPassword("");
  ASSERT_TRUE(Client.Connect());
  EXPECT_TRUE(Server->Received("USER anonymous"));
  EXPECT_TRUE(Client.CreateDir("incoming"));
}

TEST_F(FTPSession, ConnectingAgainLeavesOneConnection) {
  // This server turns a second simultaneous connection away with 421.
  StartServer({"--one-connection"});
  ASSERT_TRUE(Client.Connect());
  ASSERT_TRUE(Client.Connect());
  EXPECT_TRUE(Client.CreateDir("still-working"));
  TFTPClient other;
  other.SetServer("127.0.0.1");
  other.SetPort(Server->Port());
  other.SetUserName(TFTPTestServer::UserName);
  other.SetPassword(TFTPTestServer::Password);
  EXPECT_FALSE(other.Connect()) << "the server should hold exactly one connection";
}

TEST_F(FTPSession, NoServerOnThePortMeansNoConnection) {
  StartServer();
  Client.SetPort(TFTPTestServer::UnusedPort());
  EXPECT_FALSE(Client.Connect());
  EXPECT_FALSE(Client.Connected());
  EXPECT_EQ(Client.LastError().Kind, TFTPError::feConnectionRefused);
}

TEST_F(FTPSession, CreatesEntersAndReportsFolders) {
  StartServer();
  ASSERT_TRUE(Client.Connect());
  EXPECT_TRUE(Client.CreateDir("www"));
  EXPECT_FALSE(Client.CreateDir("www"));
  EXPECT_TRUE(Client.SetCurrentDir("www"));
  EXPECT_TRUE(Client.CreateDir("/www/img"));
  EXPECT_TRUE(Client.SetCurrentDir("img"));
  EXPECT_EQ(Client.GetCurrentDir(), "/www/img");
  EXPECT_FALSE(Client.SetCurrentDir("/missing"));
  EXPECT_EQ(Client.GetCurrentDir(), "/www/img");
  EXPECT_TRUE(Server->Home().Exists("www/img"));
  // A quote in a folder name comes back doubled in the reply and single from GetCurrentDir.
  ASSERT_TRUE(Client.CreateDir("/say \"hi\""));
  ASSERT_TRUE(Client.SetCurrentDir("/say \"hi\""));
  EXPECT_EQ(Client.GetCurrentDir(), "/say \"hi\"");
  EXPECT_TRUE(Client.CreateDir("Картинки"));
  EXPECT_TRUE(Server->Home().Exists("say \"hi\"/Картинки"));
}

TEST_F(FTPSession, DeletesFiles) {
  StartServer();
  Server->Home().Write("old.html", "old");
  ASSERT_TRUE(Client.Connect());
  EXPECT_TRUE(Client.DeleteFile("old.html"));
  EXPECT_FALSE(Server->Home().Exists("old.html"));
  EXPECT_FALSE(Client.DeleteFile("old.html"));
  EXPECT_TRUE(Client.Connected());
}

TEST_F(FTPSession, ANameWithALineBreakNeverReachesTheServer) {
  StartServer();
  Server->Home().Write("keep.html", "keep");
  ASSERT_TRUE(Client.Connect());
  EXPECT_FALSE(Client.DeleteFile("x\r\nDELE keep.html"));
  EXPECT_FALSE(Client.CreateDir("x\nDELE keep.html"));
  EXPECT_FALSE(Upload("page.html", "text", "page.html\r\nDELE keep.html"));
  EXPECT_TRUE(Server->Home().Exists("keep.html"));
  EXPECT_FALSE(Server->Received("DELE"));
  EXPECT_FALSE(Server->Received("STOR"));
  EXPECT_TRUE(Client.SetCurrentDir("/"));
}
