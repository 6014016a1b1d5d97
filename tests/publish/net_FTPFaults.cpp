// Servers that misbehave: the client must never hang, never report a broken upload as done,
// and never send data anywhere but to the server it talks to.

#include <atomic>
#include <chrono>
#include <thread>

#include "FTPClientFixture.h"

namespace {

// Raises a cancel flag a moment after it is made, as the Cancel button would from the
// window's thread.
class TCancelSoon {
 public:
  explicit TCancelSoon(std::atomic<bool>& flag)
      : Thread([&flag] {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          flag = true;
        }) {}
  ~TCancelSoon() { Thread.join(); }

 private:
  std::thread Thread;
};

// Longer than the test's own time limit: only a cancel can end such a wait in time.
constexpr int EndlessTimeout = 600000;

}  // namespace

using FTPFaults = TFTPClientFixture;

TEST_F(FTPFaults, PassiveReplyNamingAnotherAddressIsNotFollowed) {
  // The 227 reply names 127.0.0.2, where nothing listens; the data belongs to the server.
  StartServer({"--no-extended", "--pasv-address", "127.0.0.2"});
  ASSERT_TRUE(Client.Connect());
  std::string bytes = Pattern(3000);
  ASSERT_TRUE(Upload("page.html", bytes, "page.html"));
  EXPECT_EQ(Server->Home().Read("page.html"), bytes);
  EXPECT_TRUE(Server->Received("PASV"));
}

TEST_F(FTPFaults, ServerSilentAfterStorTimesOut) {
  StartServer({"--mute-on", "STOR"});
  Client.SetTimeout(1000);
  ASSERT_TRUE(Client.Connect());
  EXPECT_FALSE(Upload("page.html", "text", "page.html"));
  // Its later replies could no longer be told apart: the connection is given up.
  EXPECT_FALSE(Client.Connected());
  EXPECT_FALSE(Client.SetCurrentDir("/"));
}

TEST_F(FTPFaults, ServerSilentDuringLogInTimesOut) {
  StartServer({"--mute-on", "PASS"});
  Client.SetTimeout(1000);
  EXPECT_FALSE(Client.Connect());
  EXPECT_FALSE(Client.Connected());
}

TEST_F(FTPFaults, CancelEndsAWaitForAReply) {
  StartServer({"--mute-on", "STOR"});
  std::atomic<bool> cancelled{false};
  Client.SetCancelFlag(&cancelled);
  Client.SetTimeout(EndlessTimeout);
  ASSERT_TRUE(Client.Connect());
  TCancelSoon cancel(cancelled);
  EXPECT_FALSE(Upload("page.html", "text", "page.html"));
}

TEST_F(FTPFaults, CancelEndsALogIn) {
  StartServer({"--mute-on", "USER"});
  std::atomic<bool> cancelled{false};
  Client.SetCancelFlag(&cancelled);
  Client.SetTimeout(EndlessTimeout);
  TCancelSoon cancel(cancelled);
  EXPECT_FALSE(Client.Connect());
  EXPECT_FALSE(Client.Connected());
}

TEST_F(FTPFaults, ActiveDataConnectionThatNeverComesTimesOut) {
  // The server takes EPRT and answers STOR with 150, but never connects back.
  StartServer({"--no-connect-back"});
  Client.SetTimeout(1000);
  Client.SetPassiveMode(false);
  ASSERT_TRUE(Client.Connect());
  EXPECT_FALSE(Upload("page.html", "text", "page.html"));
  EXPECT_TRUE(Server->Received("STOR page.html"));
  EXPECT_FALSE(Client.Connected());
}

TEST_F(FTPFaults, CancelEndsAWaitForAnActiveDataConnection) {
  StartServer({"--no-connect-back"});
  std::atomic<bool> cancelled{false};
  Client.SetCancelFlag(&cancelled);
  Client.SetTimeout(EndlessTimeout);
  Client.SetPassiveMode(false);
  ASSERT_TRUE(Client.Connect());
  TCancelSoon cancel(cancelled);
  EXPECT_FALSE(Upload("page.html", "text", "page.html"));
}

TEST_F(FTPFaults, DataConnectionDroppedMidFileFailsTheUpload) {
  // The server resets the data connection after 64 KiB of 4 MiB and answers 426, or even 226:
  // the failed writes alone must fail the upload.
  for (bool passive : {true, false}) {
    for (const char* reply : {"426", "226"}) {
      SCOPED_TRACE(std::string(passive ? "passive, " : "active, ") + reply);
      std::vector<std::string> switches = {"--drop-data-after", "65536"};
      if (reply == std::string("226")) switches.push_back("--confirm-dropped");
      StartServer(switches);
      Client.SetPassiveMode(passive);
      ASSERT_TRUE(Client.Connect());
      EXPECT_FALSE(Upload("big.bin", Pattern(4 << 20), "big.bin"));
      // The server's final reply keeps the session in step.
      EXPECT_TRUE(Client.SetCurrentDir("/"));
    }
  }
}

TEST_F(FTPFaults, RefusedStorFailsTheUpload) {
  StartServer({"--refuse-stor"});
  ASSERT_TRUE(Client.Connect());
  EXPECT_FALSE(Upload("page.html", Pattern(2048), "page.html"));
  EXPECT_TRUE(Progress.empty());
  EXPECT_FALSE(Server->Home().Exists("page.html"));
  EXPECT_TRUE(Client.SetCurrentDir("/"));
}

TEST_F(FTPFaults, FinalReplyOtherThanSuccessFailsTheUpload) {
  // All data arrives, but the server answers 451 instead of 226.
  StartServer({"--fail-after-stor"});
  ASSERT_TRUE(Client.Connect());
  EXPECT_FALSE(Upload("page.html", Pattern(2048), "page.html"));
  EXPECT_EQ(Progress.size(), 3u);
  EXPECT_TRUE(Client.SetCurrentDir("/"));
}
