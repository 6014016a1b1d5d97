// Upload runs against a real server: what is sent where, what the record keeps, and how the run
// ends when the server refuses, drops or is cancelled.

#include <QCryptographicHash>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "UploadFixture.h"
#include "publish/UploadRecord.h"

namespace {

QString Digest(const std::string& bytes) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5)
          .toHex());
}

std::string Bytes(size_t size, char fill) { return std::string(size, fill); }

// Where in the server's log a command line beginning with prefix first appears; -1 if nowhere.
long Position(const std::vector<std::string>& commands, const std::string& prefix) {
  auto found = std::find_if(commands.begin(), commands.end(), [&](const std::string& command) {
    return command.compare(0, prefix.size(), prefix) == 0;
  });
  return found == commands.end() ? -1 : found - commands.begin();
}

}  // namespace

using UploadRun = TUploadFixture;

TEST_F(UploadRun, RefusedLogInEndsWithOutcome1AndFreesTheClient) {
  StartServer();
  Site.Write("index.html", "page");
  Module.FTPPassword = QStringLiteral("wrong");
  EXPECT_EQ(Upload(), 1);
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
  EXPECT_FALSE(Server->Received("STOR"));
  EXPECT_FALSE(Module.Busy());
}

TEST_F(UploadRun, RemoteRootMissingOrEmptyEndsWithOutcome2) {
  StartServer();
  Site.Write("index.html", "page");
  Module.FTPRemoteRoot = QStringLiteral("/missing");
  EXPECT_EQ(Upload(), 2);
  EXPECT_TRUE(Server->Received("CWD /missing"));
  Module.FTPRemoteRoot.clear();
  size_t folderChanges = Received("CWD").size();
  EXPECT_EQ(Upload(), 2);
  EXPECT_EQ(Received("CWD").size(), folderChanges);  // an empty root is not even tried
  EXPECT_FALSE(Server->Received("STOR"));
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
}

TEST_F(UploadRun, MissingFoldersAreCreatedOuterFirstAndEnteredOncePerChange) {
  StartServer();
  Site.Write("img/sub/b.png", "bbb");
  Site.Write("img/sub/c.png", "ccc");
  Site.Write("index.html", "page");
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Server->Home().Read("www/img/sub/b.png"), "bbb");
  EXPECT_EQ(Server->Home().Read("www/img/sub/c.png"), "ccc");
  EXPECT_EQ(Server->Home().Read("www/index.html"), "page");

  std::vector<std::string> commands = Server->Commands();
  long outer = Position(commands, "MKD img"), inner = Position(commands, "MKD sub");
  ASSERT_GE(outer, 0);
  EXPECT_GT(inner, outer);
  // The two files of one folder follow each other with no folder change between them.
  long first = Position(commands, "STOR b.png"), second = Position(commands, "STOR c.png");
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  for (long i = std::min(first, second); i < std::max(first, second); ++i)
    EXPECT_NE(commands[static_cast<size_t>(i)].rfind("CWD", 0), 0u) << commands[i];

  EXPECT_EQ(Module.UploadedFiles.size(), 3);
  EXPECT_EQ(Recorded(QStringLiteral("img\\sub\\b.png")), Digest("bbb"));
  EXPECT_EQ(Recorded(QStringLiteral("index.html")), Digest("page"));
}

TEST_F(UploadRun, OnlyChangedFilesAreSentAndASecondRunConnectsNowhere) {
  StartServer();
  Site.Write("index.html", "page");
  Site.Write("about.html", "about");
  Site.Write("img/a.png", "png");
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Received("STOR").size(), 3u);

  size_t logIns = Received("USER").size();
  EXPECT_EQ(Upload(), 3);
  EXPECT_EQ(Received("USER").size(), logIns);

  Site.Write("about.html", "about, changed");
  EXPECT_EQ(Upload(), 0);
  std::vector<std::string> stores = Received("STOR");
  ASSERT_EQ(stores.size(), 4u);
  EXPECT_EQ(stores.back(), "STOR about.html");
  EXPECT_EQ(Server->Home().Read("www/about.html"), "about, changed");
  EXPECT_EQ(Recorded(QStringLiteral("about.html")), Digest("about, changed"));
  EXPECT_EQ(Module.UploadedFiles.size(), 3);
}

TEST_F(UploadRun, WithChangesOnlyOffEveryFileIsSentOnEveryRun) {
  StartServer();
  Module.UploadChangesOnly = false;
  Site.Write("index.html", "page");
  Site.Write("img/a.png", "png");
  ASSERT_EQ(Upload(), 0);
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Received("STOR").size(), 4u);
  EXPECT_EQ(Module.UploadedFiles.size(), 2);  // each file's entry updated, none doubled
}

TEST_F(UploadRun, CancelDuringTheListingSendsNothing) {
  StartServer();
  for (const char* name : {"a.html", "b.html", "img/c.png"}) Site.Write(name, name);
  OnFile([&] { Module.Cancel(); });
  EXPECT_EQ(Upload(), -1);
  EXPECT_FALSE(Server->Received("USER"));
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
}

TEST_F(UploadRun, CancelDuringATransferKeepsTheFilesCompletedBefore) {
  StartServer();
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) Site.Write(name, Bytes(8000, name[0]));
  QString first;
  int eventsOfSecond = 0;
  OnFile([&] {
    if (Module.CurrentIndex() == 0) first = Module.CurrentFile();
    // The event before the second file's transfer, then the one after its first block.
    if (Module.CurrentIndex() == 1 && ++eventsOfSecond == 2) Module.Cancel();
  });
  EXPECT_EQ(Upload(), -1);
  EXPECT_EQ(Module.UploadedFiles, QStringList({first + u'=' + Digest(Bytes(8000, first[0].toLatin1()))}));
  EXPECT_EQ(Received("STOR").size(), 2u);
}

TEST_F(UploadRun, FileWhoseDataConnectionDropsIsNotRecorded) {
  StartServer({"--drop-data-after", "4096"});
  Site.Write("big.bin", Bytes(20000, 'x'));
  Site.Write("small.html", "small");
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Recorded(QStringLiteral("big.bin")), QString());
  EXPECT_EQ(Recorded(QStringLiteral("small.html")), Digest("small"));
  EXPECT_EQ(Module.FailedCount(), 1);
}

TEST_F(UploadRun, RefusedStorIsNotRecordedAndTheRunGoesOn) {
  StartServer({"--refuse-stor"});
  Site.Write("a.html", "a");
  Site.Write("b.html", "b");
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Received("STOR").size(), 2u);
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
  EXPECT_EQ(Module.FailedCount(), 2);
}

TEST_F(UploadRun, FolderThatCanNeitherBeEnteredNorMadeSkipsItsFilesOnly) {
  StartServer();
  Server->Home().Write("www/img", "a file where the folder should be");
  Site.Write("img/a.png", "a");
  Site.Write("img/b.png", "b");
  Site.Write("index.html", "page");
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Received("STOR").size(), 1u);
  EXPECT_FALSE(Server->Home().Exists("www/a.png"));
  EXPECT_EQ(Module.UploadedFiles, QStringList({QStringLiteral("index.html=") + Digest("page")}));
  EXPECT_EQ(Module.FailedCount(), 2);
}

TEST_F(UploadRun, CyrillicAndEqualsSignNamesAreSent) {
  StartServer();
  Site.Write("\u043a\u0430\u0440\u0442\u0438\u043d\u043a\u0438/\u0444\u043e\u0442\u043e.png", "photo");
  Site.Write("a=b.html", "odd");
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Server->Home().Read("www/\u043a\u0430\u0440\u0442\u0438\u043d\u043a\u0438/\u0444\u043e\u0442\u043e.png"), "photo");
  EXPECT_EQ(Server->Home().Read("www/a=b.html"), "odd");
  // The record holds the Cyrillic path; a name with "=" could not be read back from it.
  EXPECT_EQ(Module.UploadedFiles,
            QStringList({QStringLiteral("\u043a\u0430\u0440\u0442\u0438\u043d\u043a\u0438\\"
                                        "\u0444\u043e\u0442\u043e.png=") + Digest("photo")}));
  EXPECT_EQ(Module.FailedCount(), 0);
}

TEST_F(UploadRun, RelativeRemoteRootIsTakenFromTheLogInFolder) {
  StartServer();
  Module.FTPRemoteRoot = QStringLiteral("www");
  Site.Write("img/a.png", "png");
  EXPECT_EQ(Upload(), 0);
  EXPECT_EQ(Server->Home().Read("www/img/a.png"), "png");
  EXPECT_FALSE(Server->Home().Exists("www/www"));
}

TEST_F(UploadRun, ErrorOnTheWorkerEndsTheRunWithOutcome1) {
  StartServer();
  Site.Write("a.html", "a");
  Site.Write("b.html", "b");
  OnFile([&] {
    if (Module.CurrentIndex() == 0) throw std::runtime_error("handler failed");
  });
  EXPECT_EQ(Upload(), 1);
  EXPECT_FALSE(Server->Received("STOR"));
  EXPECT_FALSE(Module.Busy());
  OnFile([] {});
  EXPECT_EQ(Test(QStringLiteral("/www")), 0);  // no client left behind
}

TEST_F(UploadRun, ConnectionTestReportsLogInFolderAndTheServersFolder) {
  StartServer();
  EXPECT_EQ(Test(QStringLiteral("/www")), 0);
  EXPECT_EQ(Module.TestRoot, QStringLiteral("/www"));
  EXPECT_EQ(Test(QStringLiteral("/missing")), 2);
  EXPECT_EQ(Module.TestRoot, QStringLiteral("/"));
  EXPECT_EQ(Test(QString()), 2);
  Module.FTPPassword = QStringLiteral("wrong");
  EXPECT_EQ(Test(QStringLiteral("/www")), 1);
}

// A site may come from someone else: a name holding "\" (which the record would read as folders
// leading up) and a link leading out of the output folder are not sent, and nothing outside the
// remote folder is asked for.
TEST_F(UploadRun, NothingOutsideTheSiteIsReadOrSent) {
  StartServer();
  TScratchFolder outside;
  outside.Write("secret.txt", "key");
  Site.Write("index.html", "page");
  Site.Write("x\\..\\..\\..\\secret.txt", "backslashes");
  Site.Write("img/inside.png", "png");
  std::filesystem::create_symlink(outside.Path() / "secret.txt", Site.Path() / "leak.txt");
  std::filesystem::create_symlink(Site.Path() / "img/inside.png", Site.Path() / "alias.png");
  ASSERT_EQ(Upload(), 0);
  std::vector<std::string> stores = Received("STOR");
  std::sort(stores.begin(), stores.end());
  EXPECT_EQ(stores, (std::vector<std::string>{"STOR alias.png", "STOR index.html", "STOR inside.png"}));
  for (const std::string& command : Server->Commands()) EXPECT_EQ(command.find(".."), std::string::npos) << command;
  EXPECT_EQ(Module.UploadedFiles.size(), 3);
}

// The record describes one destination: a new remote folder gets every file, not only those
// changed since the upload to the old one.
TEST_F(UploadRun, ANewDestinationGetsTheWholeSite) {
  StartServer();
  Site.Write("index.html", "page");
  Site.Write("img/a.png", "png");
  ASSERT_EQ(Upload(), 0);
  std::filesystem::create_directory(Server->Home().Path() / "www2");
  Module.FTPRemoteRoot = QStringLiteral("/www2");
  EXPECT_TRUE(Module.PlanUpload(QString::fromStdString(Site.Path().string()) + u'/').FreshDestination);
  ASSERT_EQ(Upload(), 0);
  EXPECT_TRUE(Server->Home().Exists("www2/index.html"));
  EXPECT_TRUE(Server->Home().Exists("www2/img/a.png"));
  EXPECT_EQ(Module.UploadedFiles.size(), 2);
  EXPECT_EQ(Upload(), 3);  // and the record now describes the new folder
}

// Deleting what the site lost: only files of the record go, each deletion the server refuses is
// listed with its reply and keeps its record line, and a record of another folder deletes nothing.
TEST_F(UploadRun, DeletesOnlyRecordedFilesTheSiteNoLongerHas) {
  struct TCase {
    const char* Path;  // as the record names it
    bool InSite, Recorded, OnServer, StaysOnServer, StaysRecorded;
  };
  const TCase cases[] = {
      {"index.html", true, true, true, true, true},     {"old.html", false, true, true, false, false},
      {"img\\old.png", false, true, true, false, false}, {"stray.html", false, false, true, true, false},
      {"gone.html", false, true, false, false, true},   // the server refuses: 550
  };
  StartServer();
  auto local = [](const TCase& c) { return QString::fromLatin1(c.Path).replace(u'\\', u'/').toStdString(); };
  for (const TCase& c : cases)
    if (c.Recorded && c.OnServer) Site.Write(local(c), "page");
  ASSERT_EQ(Upload(), 0);
  for (const TCase& c : cases) {
    if (c.Recorded && !c.OnServer) TUploadRecord(Module.UploadedFiles).Store(QLatin1String(c.Path), QStringLiteral("0"));
    if (!c.Recorded) Server->Home().Write("www/" + local(c), "theirs");
    if (!c.InSite) std::filesystem::remove(Site.Path() / local(c));
  }
  Module.DeleteRemovedFiles = true;
  ASSERT_EQ(Upload(), 0);
  for (const TCase& c : cases) {
    EXPECT_EQ(Server->Home().Exists("www/" + local(c)), c.StaysOnServer) << c.Path;
    EXPECT_EQ(!Recorded(QLatin1String(c.Path)).isEmpty(), c.StaysRecorded) << c.Path;
  }
  EXPECT_EQ(Module.DeletedCount(), 2);
  ASSERT_EQ(Module.FailedCount(), 1);
  EXPECT_TRUE(Module.FailedFiles()[0].Deletion && Module.FailedFiles()[0].Error.Detail.rfind("550", 0) == 0);
  Server->Home().Write("www2/keep.html", "theirs");
  Module.FTPRemoteRoot = QStringLiteral("/www2");  // the record describes /www
  ASSERT_EQ(Upload(), 0);
  EXPECT_EQ(Module.DeletedCount() + Module.FailedCount(), 0);
}
