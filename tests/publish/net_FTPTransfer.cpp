// Uploads against a real server, over every kind of data connection: passive and active, with
// the extended commands (EPSV, EPRT) where the server offers them and the classic ones (PASV,
// PORT) where it does not.

#include <algorithm>
#include <ostream>
#include <tuple>

#include "FTPClientFixture.h"

namespace {

struct TDataConnection {
  bool Passive;
  bool ServerOffersExtended;
  const char* Command;  // what the client must use
};

// Names the parameter in test output, instead of its bytes.
void PrintTo(const TDataConnection& kind, std::ostream* out) { *out << kind.Command; }

const TDataConnection Kinds[] = {
    {true, true, "EPSV"}, {true, false, "PASV"}, {false, true, "EPRT"}, {false, false, "PORT"}};

class FTPTransfer : public TFTPClientFixture,
                    public ::testing::WithParamInterface<TDataConnection> {
 protected:
  void SetUp() override {
    StartServer(GetParam().ServerOffersExtended ? std::vector<std::string>{}
                                                : std::vector<std::string>{"--no-extended"});
    Client.SetPassiveMode(GetParam().Passive);
    ASSERT_TRUE(Client.Connect());
  }
};

std::string KindName(const ::testing::TestParamInfo<TDataConnection>& info) {
  return info.param.Command;
}

}  // namespace

TEST_P(FTPTransfer, UsesTheDataCommandTheServerOffers) {
  ASSERT_TRUE(Upload("a.html", "<p>a</p>", "a.html"));
  EXPECT_TRUE(Server->Received(GetParam().Command));
  for (const char* other : {"EPSV", "PASV", "EPRT", "PORT"}) {
    if (std::string(other) != GetParam().Command) {
      EXPECT_FALSE(Server->Received(other)) << other;
    }
  }
}

TEST_P(FTPTransfer, EmptyFileGivesOneProgressCall) {
  ASSERT_TRUE(Upload("empty.css", "", "empty.css"));
  EXPECT_EQ(Progress, (std::vector<TProgressCall>{{0, 0}}));
  ASSERT_TRUE(Server->Home().Exists("empty.css"));
  EXPECT_EQ(Server->Home().Read("empty.css"), "");
}

TEST_P(FTPTransfer, FileOfTwoBlocksGivesAFinalCallAtItsEnd) {
  std::string bytes = Pattern(2048);
  ASSERT_TRUE(Upload("two.bin", bytes, "two.bin"));
  EXPECT_EQ(Progress, (std::vector<TProgressCall>{{1024, 2048}, {2048, 2048}, {2048, 2048}}));
  EXPECT_EQ(Server->Home().Read("two.bin"), bytes);
}

TEST_P(FTPTransfer, BinaryFilesArriveByteForByte) {
  std::string bytes = Pattern(200000) + "\r\n\n\r";
  ASSERT_TRUE(Upload("image.png", bytes, "image.png"));
  EXPECT_EQ(Server->Home().Read("image.png"), bytes);
  EXPECT_EQ(Progress.size(), bytes.size() / 1024 + 1);
  EXPECT_EQ(Progress.back(), TProgressCall(bytes.size(), bytes.size()));
  // One connection carries file after file, each over a data connection of its own; the
  // transfer type, which holds for the session, is sent once.
  ASSERT_TRUE(Upload("second.png", "second", "second.png"));
  EXPECT_EQ(Server->Home().Read("second.png"), "second");
  const std::vector<std::string> commands = Server->Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "TYPE I"), 1);
}

TEST_P(FTPTransfer, AbortAfterTheFirstBlockLeavesThatBlock) {
  AbortAtCall = 1;
  std::string bytes = Pattern(5000);
  EXPECT_FALSE(Upload("big.bin", bytes, "big.bin"));
  EXPECT_EQ(Progress, (std::vector<TProgressCall>{{1024, 5000}}));
  EXPECT_EQ(Server->Home().Read("big.bin"), bytes.substr(0, 1024));
  // The session goes on.
  EXPECT_TRUE(Client.SetCurrentDir("/"));
  AbortAtCall = 0;
  EXPECT_TRUE(Upload("next.bin", "next", "next.bin"));
}

TEST_P(FTPTransfer, CyrillicNamesArriveIntact) {
  ASSERT_TRUE(Client.CreateDir("Новости"));
  ASSERT_TRUE(Client.SetCurrentDir("Новости"));
  ASSERT_TRUE(Upload("Главная страница.html", "<h1>Привет</h1>", "Отчёт за май.html"));
  EXPECT_EQ(Server->Home().Read("Новости/Отчёт за май.html"), "<h1>Привет</h1>");
  // The server lists UTF8, so the client says that its names are UTF-8 before any of them.
  std::vector<std::string> commands = Server->Commands();
  auto options = std::find(commands.begin(), commands.end(), "OPTS UTF8 ON");
  auto firstName = std::find(commands.begin(), commands.end(), "MKD Новости");
  EXPECT_TRUE(options < firstName);
}

TEST_P(FTPTransfer, MissingLocalFileSendsNothing) {
  EXPECT_FALSE(Client.PutFile((LocalFiles.Path() / "missing.html").string(), "missing.html"));
  EXPECT_TRUE(Progress.empty());
  EXPECT_FALSE(Server->Received("STOR"));
  EXPECT_FALSE(Server->Home().Exists("missing.html"));
}

TEST_P(FTPTransfer, LocalPathsMayUseBackslashes) {
  LocalFiles.Write("css/site.css", "body{}");
  std::string local = (LocalFiles.Path() / "css").string() + "\\site.css";
  ASSERT_TRUE(Client.PutFile(local, "site.css"));
  EXPECT_EQ(Server->Home().Read("site.css"), "body{}");
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FTPTransfer, ::testing::ValuesIn(Kinds), KindName);

using FTPAsciiTransfer = TFTPClientFixture;

TEST_F(FTPAsciiTransfer, LineEndsTravelAsCarriageReturnLineFeed) {
  // The server keeps what came over the wire, so the test sees the client's conversion.
  StartServer({"--keep-wire-line-ends"});
  Client.SetBinaryMode(false);
  ASSERT_TRUE(Client.Connect());
  // A line end of either form, one split between two blocks, and a lone CR.
  std::string text = "one\ntwo\r\nthree" + std::string(1023 - 14, '.') + "\r\nfour\rfive\n";
  ASSERT_EQ(text.substr(1023, 2), "\r\n");
  ASSERT_TRUE(Upload("page.txt", text, "page.txt"));
  EXPECT_EQ(Server->Home().Read("page.txt"),
            "one\r\ntwo\r\nthree" + std::string(1023 - 14, '.') + "\r\nfour\rfive\r\n");
  EXPECT_TRUE(Server->Received("TYPE A"));
  // Progress counts the file's own bytes.
  EXPECT_EQ(Progress.back(), TProgressCall(text.size(), text.size()));
}
