// The record of uploaded files and the listing's choice of what to send, without a server: a
// run that finds nothing to send, or is cancelled while listing, never connects.

#include "ScratchFolder.h"
#include "publish/FTPUploadModule.h"
#include "publish/UploadPath.h"
#include "publish/UploadPlan.h"
#include "publish/UploadRecord.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

#include <gtest/gtest.h>

namespace {

const QString EmptyDigest = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
const QString AbcDigest = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");

QString Folder(const TScratchFolder& folder) {
  return QString::fromStdString(folder.Path().string()) + u'/';
}

// A module whose server does not exist: any attempt to connect fails with outcome 1.
class TOfflineUpload : public ::testing::Test {
 protected:
  TOfflineUpload() {
    Module.FTPServer = QStringLiteral("127.0.0.1");
    Module.FTPPort = QStringLiteral("1");
    Module.FTPRemoteRoot = QStringLiteral("/www");
  }
  int Upload() { return Module.RunUpload(Folder(Site)); }

  TScratchFolder Site;
  TFTPUploadModule Module;
};

}  // namespace

TEST(UploadRecord, LookupIgnoresAsciiCaseAndStoreKeepsTheEntrysSpelling) {
  QStringList lines = {QStringLiteral("IMG\\Logo.PNG=") + EmptyDigest,
                       QStringLiteral("index.html=") + AbcDigest};
  TUploadRecord record(lines);
  EXPECT_EQ(record.Digest(QStringLiteral("img\\logo.png")), EmptyDigest);
  EXPECT_EQ(record.Digest(QStringLiteral("img/logo.png")), QString());
  EXPECT_EQ(record.Digest(QStringLiteral("logo.png")), QString());

  EXPECT_TRUE(record.Store(QStringLiteral("img\\logo.png"), AbcDigest));
  EXPECT_TRUE(record.Store(QStringLiteral("\u0444\u043e\u0442\u043e.png"), EmptyDigest));
  EXPECT_EQ(lines, QStringList({QStringLiteral("IMG\\Logo.PNG=") + AbcDigest,
                                QStringLiteral("index.html=") + AbcDigest,
                                QStringLiteral("\u0444\u043e\u0442\u043e.png=") + EmptyDigest}));
}

TEST(UploadRecord, NameWithEqualsSignIsNeverRecordedNorFound) {
  QStringList lines = {QStringLiteral("a=b.html=") + AbcDigest};
  TUploadRecord record(lines);
  EXPECT_EQ(record.Digest(QStringLiteral("a")), QStringLiteral("b.html=") + AbcDigest);
  EXPECT_EQ(record.Digest(QStringLiteral("a=b.html")), QString());
  EXPECT_FALSE(record.Store(QStringLiteral("a=b.html"), AbcDigest));
  EXPECT_EQ(lines.size(), 1);
}

// Whatever a record or a walk holds, a path never names a file outside the output folder.
TEST(UploadRecord, OnlyPlainPathsBelowTheOutputFolderNameALocalFile) {
  TScratchFolder folder;
  folder.Write("sub/page.html", "x");
  const QString root = Folder(folder) + QStringLiteral("sub/");
  const TUploadPath paths(root);
  EXPECT_FALSE(paths.LocalFile(QStringLiteral("page.html")).isEmpty());
  for (const char* path : {"..\\sub\\page.html", ".\\page.html", "\\page.html", "c:page.html", "a\\\\page.html",
                           "../sub/page.html", "missing.html"})
    EXPECT_TRUE(paths.LocalFile(QString::fromLatin1(path)).isEmpty()) << path;
  // A record edited by hand merges as it is, after the checks of the run that reads it.
  QStringList record = {QStringLiteral("a.html=1"), QStringLiteral("b.html=2")};
  TUploadRecord(record).ApplyChanges({QStringLiteral("a.html=1")}, {QStringLiteral("a.html=1"), QStringLiteral("c.html=3"), QStringLiteral("b.html=4")});
  EXPECT_EQ(record, (QStringList{QStringLiteral("a.html=1"), QStringLiteral("b.html=4"), QStringLiteral("c.html=3")}));
}

TEST(UploadRecord, DigestIsLowercaseHexOfTheContentsAndEmptyForUnreadableFiles) {
  TScratchFolder folder;
  QString abc = QString::fromStdString(folder.Write("abc.txt", "abc"));
  QString empty = QString::fromStdString(folder.Write("empty.txt", ""));
  EXPECT_EQ(TUploadPlan::FileDigest(abc), AbcDigest);
  EXPECT_EQ(TUploadPlan::FileDigest(empty), EmptyDigest);
  EXPECT_EQ(TUploadPlan::FileDigest(Folder(folder) + QStringLiteral("missing")), EmptyDigest);
}

TEST_F(TOfflineUpload, UnchangedFilesAreNotSentAndNothingConnects) {
  Site.Write("index.html", "abc");
  Site.Write("img/a.png", "");
  Site.Write(".hidden/secret.txt", "x");
  Site.Write(".htaccess", "x");
  Module.UploadedFiles = {QStringLiteral("INDEX.html=") + AbcDigest,
                          QStringLiteral("Img\\A.png=") + EmptyDigest};
  const QStringList before = Module.UploadedFiles;
  EXPECT_EQ(Upload(), 3);
  EXPECT_EQ(Module.PendingCount(), 0);
  EXPECT_EQ(Module.UploadedFiles, before);

  // The same run with every file to send reaches the (missing) server.
  Module.UploadChangesOnly = false;
  EXPECT_EQ(Upload(), 1);
  EXPECT_EQ(Module.PendingCount(), 2);
  EXPECT_EQ(Module.UploadedFiles, before);
  EXPECT_FALSE(Module.Busy());
}

TEST_F(TOfflineUpload, MissingOutputFolderListsNothing) {
  EXPECT_EQ(Module.RunUpload(Folder(Site) + QStringLiteral("html/")), 3);
}

TEST_F(TOfflineUpload, CancelWhileListingStopsAtTheNextFileAndConnectsNowhere) {
  for (const char* name : {"a.html", "b.html", "c.html", "d/e.html"}) Site.Write(name, name);
  int events = 0;
  int completions = 0;
  TMultiActionHandler file, complete;
  file.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) {
    EXPECT_EQ(Module.CurrentIndex(), -1);
    if (++events == 1) Module.Cancel();
  }));
  file.SetMultiAction(Module.OnFileAction);
  complete.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) { ++completions; }));
  complete.SetMultiAction(Module.OnUploadCompleteAction);

  EXPECT_EQ(Upload(), -1);
  EXPECT_EQ(Module.PendingCount(), 1);
  EXPECT_EQ(events, 2);  // the file accepted, then the end of the listing
  EXPECT_EQ(completions, 1);
  EXPECT_TRUE(Module.UploadedFiles.isEmpty());
}

TEST_F(TOfflineUpload, SecondJobCannotStartWhileOneRuns) {
  Site.Write("a.html", "a");
  ASSERT_TRUE(Module.StartUpload(Folder(Site)));
  EXPECT_FALSE(Module.StartUpload(Folder(Site)));
  EXPECT_FALSE(Module.StartTest(QStringLiteral("127.0.0.1"), {}, {}, QStringLiteral("1"), {}));
}
