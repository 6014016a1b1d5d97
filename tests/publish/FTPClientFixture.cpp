#include "FTPClientFixture.h"

TFTPClientFixture::TFTPClientFixture() {
  Client.SetOnProgress(
      [this](TTransferClient& sender, int64_t written, bool& abort, int64_t total) {
        EXPECT_EQ(&sender, &Client);
        Progress.emplace_back(written, total);
        if (Progress.size() == AbortAtCall) abort = true;
      });
}

void TFTPClientFixture::StartServer(const std::vector<std::string>& switches) {
  Server = std::make_unique<TFTPTestServer>(switches);
  Client.SetServer("127.0.0.1");
  Client.SetPort(Server->Port());
  Client.SetUserName(TFTPTestServer::UserName);
  Client.SetPassword(TFTPTestServer::Password);
  Client.SetBinaryMode(true);
  Client.SetPassiveMode(true);
  Client.SetTimeout(20000);
}

std::string TFTPClientFixture::Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

bool TFTPClientFixture::Upload(const std::string& localName, const std::string& bytes,
                               const std::string& remoteName) {
  return Client.PutFile(LocalFiles.Write(localName, bytes), remoteName);
}
