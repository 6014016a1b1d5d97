#include "publish/ConnectionTest.h"

#include "publish/TransferClient.h"

namespace {

std::string Bytes(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TConnectionTest::TConnectionTest(const TFTPSettings& settings, const std::atomic<bool>& cancelled)
    : Settings(settings), TestRoot(settings.RemoteRoot), Cancelled(cancelled) {}

int TConnectionTest::Run() {
  int result;
  try {
    result = Try();
  } catch (...) {
    result = 1;
  }
  return Cancelled ? -1 : result;
}

int TConnectionTest::Try() {
  std::unique_ptr<TTransferClient> client = TTransferClient::Make(Settings, &Cancelled, Why);
  if (!client) return 1;
  if (!client->Connect()) {
    Why = client->LastError();
    return 1;
  }
  return Cancelled ? -1 : EnterRoot(*client);
}

int TConnectionTest::EnterRoot(TTransferClient& client) {
  if (!TestRoot.isEmpty() && client.SetCurrentDir(Bytes(TestRoot))) {
    client.Disconnect();
    return 0;
  }
  Why = TestRoot.isEmpty() ? TFTPError(TFTPError::feNotSet) : client.LastError();
  // Where the server puts the user: the starting point for choosing a folder.
  if (!Cancelled) TestRoot = QString::fromUtf8(client.GetCurrentDir());
  if (!Cancelled) client.Disconnect();
  return 2;
}
