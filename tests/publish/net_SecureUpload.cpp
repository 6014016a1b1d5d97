// Upload runs over FTPS and SFTP against real servers (pyftpdlib's TLS handler insisting on TLS
// and on session reuse; OpenSSH's sshd with key log-in): the same workflow and faults as FTP,
// and the trust in the server that comes first.

#include <QCryptographicHash>

#include <algorithm>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "SSHTestServer.h"
#include "TestCertificates.h"
#include "UploadFixture.h"
#include "publish/KnownHosts.h"
#include "publish/UploadRecord.h"
#include "services/LocalStrings.h"

namespace {

QString Digest(const std::string& bytes) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toHex());
}

// The server of one protocol, and what the tests need of it.
class TPeer {
 public:
  virtual ~TPeer() = default;
  // The module's settings for it: protocol, port, account and the remote root "www".
  virtual void Aim(TFTPUploadModule& module) = 0;
  virtual std::string Read(const std::string& path) const = 0;  // below the remote root
  // The fingerprint as openssl or ssh-keygen shows it, and the failure of an unknown one.
  virtual std::string Fingerprint() const = 0;
  virtual TFTPError::TKind Unknown() const = 0;
  // Trusts the server the way the user would after a refusal.
  virtual void Trust(TFTPUploadModule& module, const TFTPError& why) = 0;
  virtual bool LogInTried() const = 0;
  virtual void Kill() = 0;
  virtual void Freeze(bool frozen) = 0;
};

class TFTPSPeer : public TPeer {
 public:
  TFTPSPeer() : Server({"--tls", Certificates.SelfSigned()}) {
    std::filesystem::create_directory(Server.Home().Path() / "www");
  }
  void Aim(TFTPUploadModule& module) override {
    module.SetProtocol(QStringLiteral("ftps"));
    module.FTPPort = QString::fromStdString(Server.Port());
  }
  std::string Read(const std::string& path) const override {
    return Server.Home().Read("www/" + path);
  }
  std::string Fingerprint() const override {
    return TTestCertificates::Fingerprint(Certificates.SelfSigned());
  }
  TFTPError::TKind Unknown() const override { return TFTPError::feCertificateUntrusted; }
  void Trust(TFTPUploadModule& module, const TFTPError& why) override {
    module.TrustedCertificate = QString::fromStdString(why.Fingerprint);
  }
  bool LogInTried() const override { return Server.Received("USER"); }
  void Kill() override { Server.Kill(); }
  void Freeze(bool frozen) override { Server.Freeze(frozen); }

 private:
  TTestCertificates Certificates;
  TFTPTestServer Server;
};

// The client's HOME is the server's test home while the peer lives.
class TSFTPPeer : public TPeer {
 public:
  TSFTPPeer() : OldHome(std::getenv("HOME") ? std::getenv("HOME") : "") {
    setenv("HOME", Server.Home().c_str(), 1);
    unsetenv("SSH_AUTH_SOCK");
    std::filesystem::create_directory(Server.Files().Path() / "www");
  }
  ~TSFTPPeer() override { setenv("HOME", OldHome.c_str(), 1); }
  void Aim(TFTPUploadModule& module) override {
    module.SetProtocol(QStringLiteral("sftp"));
    module.FTPPort = QString::fromStdString(Server.Port());
    module.FTPUserName = QString::fromStdString(TSSHTestServer::UserName());
    module.FTPPassword.clear();  // the user's key
    module.FTPRemoteRoot = QString::fromStdString((Server.Files().Path() / "www").string());
  }
  std::string Read(const std::string& path) const override {
    return Server.Files().Read("www/" + path);
  }
  std::string Fingerprint() const override { return Server.HostKeyFingerprint(); }
  TFTPError::TKind Unknown() const override { return TFTPError::feHostKeyUnknown; }
  void Trust(TFTPUploadModule&, const TFTPError& why) override {
    std::string failure;
    ASSERT_TRUE(TKnownHosts::Add(why.HostKeyEntry, failure)) << failure;
  }
  bool LogInTried() const override { return Server.LogInTried(); }
  void Kill() override { Server.Kill(); }
  void Freeze(bool frozen) override { Server.Freeze(frozen); }

  TSSHTestServer Server;

 private:
  std::string OldHome;
};

// What --upload says of the module's last run that could not log in.
QString Failure(const TFTPUploadModule& module) {
  QObject owner;
  TLocalStrings strings(&owner, QStringLiteral("FTPUploadModule"));
  strings.Localize(1033);
  const TUploadReport report(
      [&strings](const char* key) { return strings.GetString(QLatin1String(key)); });
  return report.Outcome(1, module.UploadError(), module.Settings(), 0);
}

class SecureUpload : public TUploadFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    if (GetParam() == std::string("ftps"))
      Peer = std::make_unique<TFTPSPeer>();
    else
      Peer = std::make_unique<TSFTPPeer>();
    Peer->Aim(Module);
  }
  // A connection test meets the unknown server, which is then trusted.
  void TrustServer() {
    ASSERT_EQ(Test(Module.FTPRemoteRoot), 1);
    Peer->Trust(Module, Module.TestError);
  }

  std::unique_ptr<TPeer> Peer;
};

}  // namespace

TEST_P(SecureUpload, SendsTheSiteThenNothingThenOnlyTheChange) {
  TrustServer();
  Site.Write("index.html", "page");
  Site.Write("img/sub/a.png", "png");
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Peer->Read("index.html"), "page");
  EXPECT_EQ(Peer->Read("img/sub/a.png"), "png");
  EXPECT_EQ(Upload(), 3);
  Site.Write("index.html", "page, changed");
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Module.PendingCount(), 1);
  EXPECT_EQ(Peer->Read("index.html"), "page, changed");
  EXPECT_EQ(Recorded(QStringLiteral("index.html")), Digest("page, changed"));
  EXPECT_EQ(Module.UploadedFiles.size(), 2);
}

// Over TLS and SSH too, a page the site lost is deleted below the remote folder, and a deletion
// the server refuses is listed and keeps its record line.
TEST_P(SecureUpload, DeletesThePagesTheSiteLost) {
  TrustServer();
  Site.Write("index.html", "page");
  Site.Write("sub/old.html", "old");
  ASSERT_EQ(Upload(), 0);
  std::filesystem::remove(Site.Path() / "sub/old.html");
  TUploadRecord(Module.UploadedFiles).Store(QStringLiteral("gone.html"), QStringLiteral("0"));
  Module.DeleteRemovedFiles = true;
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Peer->Read("sub/old.html"), "");
  EXPECT_EQ(Peer->Read("index.html"), "page");
  EXPECT_EQ(Module.DeletedCount(), 1);
  ASSERT_EQ(Module.FailedCount(), 1);
  EXPECT_TRUE(Module.FailedFiles()[0].Deletion);
  EXPECT_EQ(Module.UploadedFiles.size(), 2);  // index.html and the refused gone.html
}

TEST_P(SecureUpload, UnknownServerIsRefusedBeforeTheLogInUntilTrusted) {
  Site.Write("index.html", "page");
  EXPECT_EQ(Upload(), 1);
  const TFTPError why = Module.UploadError();
  EXPECT_EQ(why.Kind, Peer->Unknown());
  EXPECT_EQ(why.Fingerprint, Peer->Fingerprint());
  EXPECT_NE(Failure(Module).indexOf(QString::fromStdString(Peer->Fingerprint())), -1);
  EXPECT_FALSE(Peer->LogInTried());
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
  Peer->Trust(Module, why);
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Peer->Read("index.html"), "page");
}

TEST_P(SecureUpload, WrongPasswordIsRefusedAndNeverShown) {
  TrustServer();
  Site.Write("index.html", "page");
  Module.FTPPassword = QStringLiteral("Wr0ngPa55");
  EXPECT_EQ(Upload(), 1);
  EXPECT_EQ(Module.UploadError().Kind, TFTPError::feLogInRefused);
  EXPECT_EQ(Failure(Module).indexOf(Module.FTPPassword), -1);
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
}

TEST_P(SecureUpload, FileTheServerDiesDuringIsNotRecorded) {
  TrustServer();
  Site.Write("big.bin", std::string(400000, 'x'));
  int events = 0;
  OnFile([&] {
    if (Module.CurrentFile() == QStringLiteral("big.bin") && ++events == 2) Peer->Kill();
  });
  Upload();
  EXPECT_EQ(Recorded(QStringLiteral("big.bin")), QString());
  EXPECT_EQ(Module.FailedCount(), 1);
}

TEST_P(SecureUpload, CancelKeepsTheFilesCompletedBefore) {
  TrustServer();
  for (const char* name : {"a.bin", "b.bin", "c.bin"})
    Site.Write(name, std::string(100000, name[0]));
  QString first;
  int eventsOfSecond = 0;
  OnFile([&] {
    if (Module.CurrentIndex() == 0) first = Module.CurrentFile();
    if (Module.CurrentIndex() == 1 && ++eventsOfSecond == 2) Module.Cancel();
  });
  EXPECT_EQ(Upload(), -1);
  EXPECT_EQ(Module.UploadedFiles,
            QStringList({first + u'=' + Digest(std::string(100000, first[0].toLatin1()))}));
}

// A server that stops answering in the middle of a file, over TLS or SSH: the client's time-out
// ends the run, and with an endless time-out Cancel does; the file is not recorded either way.
TEST_P(SecureUpload, AServerThatStopsAnsweringTimesOutOrIsCancelled) {
  TrustServer();
  Site.Write("big.bin", std::string(4000000, 'x'));
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancel" : "time-out");
    Module.UploadedFiles.clear();
    Module.Timeout = cancel ? 3600000 : 1000;
    std::thread canceller;
    OnFile([&] {
      if (Module.CurrentIndex() != 0 || canceller.joinable()) return;
      Peer->Freeze(true);
      if (cancel)
        canceller = std::thread([this] {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          Module.Cancel();
        });
      else
        canceller = std::thread([] {});
    });
    const int outcome = Upload();
    canceller.join();
    Peer->Freeze(false);
    if (cancel) {
      EXPECT_EQ(outcome, -1);
    } else {
      EXPECT_EQ(Module.FailedCount(), 1);
    }
    EXPECT_TRUE(Module.UploadedFiles.isEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(Protocols, SecureUpload, ::testing::Values("ftps", "sftp"));

using CertificateTrust = TUploadFixture;

TEST_F(CertificateTrust, OnlyAVerifiedOrTrustedCertificateGetsTheLogIn) {
  TTestCertificates certificates;
  const std::string self = certificates.SelfSigned();
  std::string bare = TTestCertificates::Fingerprint(self);
  bare.erase(std::remove(bare.begin(), bare.end(), ':'), bare.end());
  std::transform(bare.begin(), bare.end(), bare.begin(), ::tolower);
  struct TCase {
    std::string Pem;  // none: a server without TLS, which must not get the log-in in the clear
    bool Authority;   // the test authority is the trust store
    std::string Trusted;
    TFTPError::TKind Failure;
  };
  const TCase cases[] = {
      {self, false, "", TFTPError::feCertificateUntrusted},
      {self, false, bare, TFTPError::feNone},
      {self, false, TTestCertificates::Fingerprint(certificates.SignedForHost()),
       TFTPError::feCertificateUntrusted},
      {certificates.SignedForHost(), true, "", TFTPError::feNone},
      {certificates.SignedForOtherName(), true, "", TFTPError::feCertificateUntrusted},
      {"", false, "", TFTPError::feTlsRefused},
  };
  Module.SetProtocol(QStringLiteral("ftps"));
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Pem + " trusting " + test.Trusted);
    StartServer(test.Pem.empty() ? std::vector<std::string>{}
                                 : std::vector<std::string>{"--tls", test.Pem});
    if (test.Authority)
      setenv("SSL_CERT_FILE", certificates.Authority().c_str(), 1);
    else
      unsetenv("SSL_CERT_FILE");
    Module.TrustedCertificate = QString::fromStdString(test.Trusted);
    EXPECT_EQ(Test(QStringLiteral("/www")), test.Failure == TFTPError::feNone ? 0 : 1);
    EXPECT_EQ(Module.TestError.Kind, test.Failure);
    EXPECT_EQ(Server->Received("USER"), test.Failure == TFTPError::feNone);
  }
  unsetenv("SSL_CERT_FILE");
}

using HostKeyTrust = TUploadFixture;

TEST_F(HostKeyTrust, AChangedKeyIsRefusedWithAWarning) {
  TSFTPPeer peer;
  peer.Aim(Module);
  Site.Write("index.html", "page");
  std::string failure;
  ASSERT_TRUE(TKnownHosts::Add(peer.Server.ForeignKeyLine(), failure)) << failure;
  EXPECT_EQ(Upload(), 1);
  EXPECT_EQ(Module.UploadError().Kind, TFTPError::feHostKeyChanged);
  EXPECT_EQ(Module.UploadError().Fingerprint, peer.Fingerprint());
  // The warning names the new key and how to remove the old one.
  const QString warning = Failure(Module);
  EXPECT_TRUE(warning.startsWith(QStringLiteral("WARNING: the host key of 127.0.0.1:")));
  EXPECT_NE(warning.indexOf(QString::fromStdString(peer.Fingerprint())), -1);
  EXPECT_NE(warning.indexOf(QStringLiteral("ssh-keygen -R \"[127.0.0.1]:%1\"").arg(Module.FTPPort)),
            -1);
  EXPECT_FALSE(peer.LogInTried());
}
