#include "UploadFixture.h"

#include "publish/UploadRecord.h"
#include "services/MultiAction.h"

#include <QEventLoop>

#include <filesystem>

TUploadFixture::TUploadFixture() {
  Module.FTPServer = QStringLiteral("127.0.0.1");
  Module.FTPUserName = QString::fromLatin1(TFTPTestServer::UserName);
  Module.FTPPassword = QString::fromLatin1(TFTPTestServer::Password);
  Module.FTPRemoteRoot = QStringLiteral("/www");
  Module.Timeout = 20000;
  FileHandler.SetMultiAction(Module.OnFileAction);
}

void TUploadFixture::StartServer(const std::vector<std::string>& switches) {
  Server = std::make_unique<TFTPTestServer>(switches);
  std::filesystem::create_directory(Server->Home().Path() / "www");
  Module.FTPPort = QString::fromStdString(Server->Port());
}

int TUploadFixture::Upload() {
  return Module.RunUpload(QString::fromStdString(Site.Path().string()) + u'/');
}

int TUploadFixture::Test(const QString& folder) {
  QEventLoop loop;
  TMultiActionHandler ended;
  ended.SetOnExecute(TNotifyEvent::FromFunction([&loop](QObject*) { loop.quit(); }));
  ended.SetMultiAction(Module.OnTestCompleteAction);
  if (!Module.StartTest(Module.FTPServer, Module.FTPUserName, folder, Module.FTPPort,
                        Module.FTPPassword))
    return -2;
  loop.exec();
  return Module.TestResult;
}

void TUploadFixture::OnFile(std::function<void()> handler) {
  FileHandler.SetOnExecute(TNotifyEvent::FromFunction([handler](QObject*) { handler(); }));
}

QString TUploadFixture::Recorded(const QString& path) {
  return TUploadRecord(Module.UploadedFiles).Digest(path);
}

std::vector<std::string> TUploadFixture::Received(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& command : Server->Commands())
    if (command.compare(0, prefix.size(), prefix) == 0) found.push_back(command);
  return found;
}
