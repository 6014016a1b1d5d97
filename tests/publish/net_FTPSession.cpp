// Log-in and the folder commands against a real server.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "FTPClientFixture.h"

namespace {

// A port on 127.0.0.1 that nothing listens on (the system just handed it out and took it back).
std::string UnusedPort() {
  int handle = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
  close(handle);
  return std::to_string(ntohs(address.sin_port));
}

}  // namespace

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
  Client.SetPort(UnusedPort());
  EXPECT_FALSE(Client.Connect());
  EXPECT_FALSE(Client.Connected());
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
