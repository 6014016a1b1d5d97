// Reading the server's replies: how the bytes of the control connection become replies, and
// the replies whose contents the client acts on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "publish/FTPReply.h"
#include "publish/FTPReplyReader.h"

namespace {

// Every complete reply in bytes, fed in pieces of the given size.
std::vector<TFTPReply> ReadAll(const std::string& bytes, size_t piece = 4096) {
  TFTPReplyReader reader;
  std::vector<TFTPReply> replies;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(std::string_view(bytes).substr(at, piece));
    for (TFTPReply reply; reader.Next(reply);) replies.push_back(reply);
  }
  return replies;
}

TFTPReply Reply(int code, const std::string& line) {
  TFTPReply reply;
  reply.Code = code;
  reply.Lines = {line};
  return reply;
}

}  // namespace

TEST(FTPReplyReader, JoinsMultiLineRepliesWhateverThePieces) {
  const std::string bytes =
      "220-Welcome\r\n220-second line\r\n 220 indented, not the end\r\n"
      "230 looks like a code\r\n220 ready\r\n331 Password required\r\n";
  for (size_t piece : {1, 2, 5, 4096}) {
    std::vector<TFTPReply> replies = ReadAll(bytes, piece);
    ASSERT_EQ(replies.size(), 2u) << "pieces of " << piece;
    EXPECT_EQ(replies[0].Code, 220);
    EXPECT_EQ(replies[0].Lines.size(), 5u);
    EXPECT_EQ(replies[0].Lines.back(), "220 ready");
    EXPECT_EQ(replies[1].Code, 331);
    EXPECT_EQ(replies[1].Lines, std::vector<std::string>{"331 Password required"});
  }
}

TEST(FTPReplyReader, AcceptsBareLineFeedsAndCodesWithoutText) {
  std::vector<TFTPReply> replies = ReadAll("200 ok\n\r\n226\n150-a\n150\n");
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[0].Code, 200);
  EXPECT_EQ(replies[1].Code, 226);
  EXPECT_EQ(replies[2].Code, 150);
  EXPECT_EQ(replies[2].Lines.size(), 2u);
}

TEST(FTPReplyReader, MarksLinesThatAreNoReply) {
  for (const char* line : {"hello\r\n", "20 short\r\n", "600 out of range\r\n", "099 low\r\n"}) {
    std::vector<TFTPReply> replies = ReadAll(line);
    ASSERT_EQ(replies.size(), 1u) << line;
    EXPECT_EQ(replies[0].Code, 0) << line;
  }
  EXPECT_TRUE(ReadAll("220 no line end yet").empty());
}

TEST(FTPReplyReader, BoundsWhatAHostileServerSends) {
  std::string longLine = "200 " + std::string(100000, 'x') + "\r\n";
  std::vector<TFTPReply> replies = ReadAll(longLine + "201 next\r\n");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].Lines[0].size(), TFTPReplyReader::MaxLineLength);
  EXPECT_EQ(replies[1].Code, 201);

  std::string endless = "211-start\r\n";
  for (int i = 0; i < 5000; ++i) endless += " line\r\n";
  replies = ReadAll(endless + "211 end\r\n");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_LE(replies[0].Lines.size(), TFTPReplyReader::MaxLines + 1);
  EXPECT_EQ(replies[0].Lines.back(), "211 end");
}

TEST(FTPReply, FindsThePortOfAPassiveReply) {
  uint16_t port = 0;
  EXPECT_TRUE(Reply(227, "227 Entering Passive Mode (10,1,2,3,200,13).").PassivePort(port));
  EXPECT_EQ(port, 200 * 256 + 13);
  EXPECT_TRUE(Reply(227, "227 =127,0,0,1,4,1").PassivePort(port));
  EXPECT_EQ(port, 1025);
  EXPECT_TRUE(Reply(227, "227 Mode 2 on (192,168,0,1,0,21)").PassivePort(port));
  EXPECT_EQ(port, 21);
  for (const char* line : {"227 Entering Passive Mode (10,1,2,3,256,1)",
                           "227 Entering Passive Mode (10,1,2,3,200)",
                           "227 Entering Passive Mode (10,1,2,3,0,0)",
                           "227 Entering Passive Mode (1000,1,2,3,4,5)",
                           "227 Entering Passive Mode", "227"})
    EXPECT_FALSE(Reply(227, line).PassivePort(port)) << line;
  EXPECT_FALSE(Reply(200, "200 (10,1,2,3,4,5)").PassivePort(port));
}

TEST(FTPReply, FindsThePortOfAnExtendedPassiveReply) {
  uint16_t port = 0;
  EXPECT_TRUE(Reply(229, "229 Entering Extended Passive Mode (|||6446|)").ExtendedPassivePort(port));
  EXPECT_EQ(port, 6446);
  EXPECT_TRUE(Reply(229, "229 ok (!!!65535!)").ExtendedPassivePort(port));
  EXPECT_EQ(port, 65535);
  for (const char* line : {"229 (|||65536|)", "229 (|||0|)", "229 (||!6446|)", "229 (|||6446!)",
                           "229 (|||6446|", "229 (||||)", "229 (111222)", "229 (|||", "229"})
    EXPECT_FALSE(Reply(229, line).ExtendedPassivePort(port)) << line;
}

TEST(FTPReply, ReadsTheQuotedPath) {
  std::string path;
  EXPECT_TRUE(Reply(257, "257 \"/www/site\" is the current directory").QuotedPath(path));
  EXPECT_EQ(path, "/www/site");
  EXPECT_TRUE(Reply(257, "257 \"/say \"\"hi\"\"\" created").QuotedPath(path));
  EXPECT_EQ(path, "/say \"hi\"");
  EXPECT_TRUE(Reply(257, "257 \"\"").QuotedPath(path));
  EXPECT_EQ(path, "");
  EXPECT_FALSE(Reply(257, "257 /www/site").QuotedPath(path));
  EXPECT_FALSE(Reply(257, "257 \"/www/site").QuotedPath(path));
  EXPECT_FALSE(Reply(550, "550 \"/www\" no").QuotedPath(path));
}

TEST(FTPReply, ListsTheFeaturesOfAFeatReply) {
  std::vector<TFTPReply> replies =
      ReadAll("211-Features: EPRT\r\n EPSV\r\n MLST type*;size*;\r\n utf8\r\n211 End UTF8\r\n");
  ASSERT_EQ(replies.size(), 1u);
  const TFTPReply& features = replies[0];
  EXPECT_TRUE(features.HasFeature("EPSV"));
  EXPECT_TRUE(features.HasFeature("MLST"));
  EXPECT_TRUE(features.HasFeature("UTF8"));
  // Words of the first and last line are no features, and neither is a longer name.
  EXPECT_FALSE(features.HasFeature("EPRT"));
  EXPECT_FALSE(features.HasFeature("End"));
  EXPECT_FALSE(features.HasFeature("EPS"));
  EXPECT_FALSE(Reply(500, "500 FEAT not understood").HasFeature("UTF8"));
}
