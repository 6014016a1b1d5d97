#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"
#include "publish/TransferClient.h"
#include "publish/Twofish.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QDomElement Settings(const QDomDocument& document) {
  return FindChildElement(document.documentElement(), QStringLiteral("Settings"));
}

QString Attribute(const QDomDocument& document, const char* name) {
  return GetAttributeText(Settings(document), QLatin1String(name), QStringLiteral("<none>"));
}

}  // namespace

TEST(UploadSettings, DefaultsWriteOnlyPortAndFlags) {
  TFTPUploadModule module;
  QDomDocument document = NewXmlDocument(QStringLiteral("iklproj"));
  QDomElement root = document.documentElement();
  module.WriteSettings(root);
  QDomElement settings = Settings(document);
  ASSERT_FALSE(settings.isNull());
  EXPECT_EQ(settings.attributes().size(), 3);
  EXPECT_EQ(Attribute(document, "FTPPort"), QStringLiteral("21"));
  EXPECT_EQ(Attribute(document, "FTPPassiveMode"), QStringLiteral("1"));
  EXPECT_EQ(Attribute(document, "UploadChangesOnly"), QStringLiteral("1"));
  EXPECT_TRUE(FindChildElement(settings, QStringLiteral("UploadFiles")).isNull());
}

TEST(UploadSettings, RoundTripWithEncipheredCredentialsAndTheRecord) {
  TFTPUploadModule module;
  module.FTPServer = QStringLiteral("ftp.example.org");
  module.FTPUserName = QStringLiteral("\u0438\u0432\u0430\u043d");  // Cyrillic, in the code page
  module.FTPPassword = QStringLiteral("p&ss<\"word\">");
  module.FTPPort = QStringLiteral("2121");
  module.FTPRemoteRoot = QStringLiteral("/www");
  module.FTPPassiveMode = false;
  module.UploadChangesOnly = true;
  module.UploadedFiles = {QStringLiteral("index.html=0123456789abcdef0123456789abcdef"),
                          QStringLiteral("img\\a.png=fedcba9876543210fedcba9876543210")};
  QDomDocument document = NewXmlDocument(QStringLiteral("iklproj"));
  QDomElement root = document.documentElement();
  module.WriteSettings(root);
  EXPECT_EQ(Attribute(document, "FTPPassiveMode"), QStringLiteral("<none>"));
  EXPECT_NE(Attribute(document, "FTPUserName"), module.FTPUserName);
  EXPECT_EQ(Attribute(document, "FTPUserName").size(), 8);  // two digits a byte
  EXPECT_EQ(GetChildText(Settings(document), QStringLiteral("UploadFiles"), QString()),
            module.UploadedFiles.join(u'\n'));

  QDomDocument reread;
  ASSERT_TRUE(LoadXmlText(document.toString(), reread));
  TFTPUploadModule other;
  other.ReadSettings(reread.documentElement());
  EXPECT_EQ(other.FTPServer, module.FTPServer);
  EXPECT_EQ(other.FTPUserName, module.FTPUserName);
  EXPECT_EQ(other.FTPPassword, module.FTPPassword);
  EXPECT_EQ(other.FTPPort, module.FTPPort);
  EXPECT_EQ(other.FTPRemoteRoot, module.FTPRemoteRoot);
  EXPECT_FALSE(other.FTPPassiveMode);
  EXPECT_TRUE(other.UploadChangesOnly);
  EXPECT_EQ(other.UploadedFiles, module.UploadedFiles);
}

TEST(UploadSettings, AbsentAttributesKeepOrClearAsTheFileRulesSay) {
  TFTPUploadModule module;
  module.FTPServer = QStringLiteral("earlier.example.org");
  module.FTPUserName = QStringLiteral("user");
  module.FTPPort = QStringLiteral("2121");
  module.UploadedFiles = {QStringLiteral("a=b")};
  QDomDocument document;
  ASSERT_TRUE(LoadXmlText(QStringLiteral("<p><Settings FTPPassiveMode=\"true\"/></p>"), document));
  module.ReadSettings(document.documentElement());
  EXPECT_EQ(module.FTPServer, QStringLiteral("earlier.example.org"));  // kept
  EXPECT_EQ(module.FTPPort, QStringLiteral("2121"));                   // kept
  EXPECT_TRUE(module.FTPUserName.isEmpty());                           // cleared
  EXPECT_FALSE(module.FTPPassiveMode);                                 // only "1" is on
  EXPECT_FALSE(module.UploadChangesOnly);
  EXPECT_TRUE(module.UploadedFiles.isEmpty());

  // No Settings element at all: everything stays.
  module.FTPUserName = QStringLiteral("kept");
  ASSERT_TRUE(LoadXmlText(QStringLiteral("<p><content>x</content></p>"), document));
  module.ReadSettings(document.documentElement());
  EXPECT_EQ(module.FTPUserName, QStringLiteral("kept"));

  module.ResetSettings();
  EXPECT_EQ(module.FTPPort, QStringLiteral("21"));
  EXPECT_TRUE(module.FTPPassiveMode);
  EXPECT_TRUE(module.UploadChangesOnly);
  EXPECT_TRUE(module.FTPServer.isEmpty());
}

TEST(UploadSettings, MalformedEncipheredTextDecodesWithoutHarm) {
  TFTPUploadModule module;
  QDomDocument document;
  ASSERT_TRUE(LoadXmlText(
      QStringLiteral("<p><Settings FTPUserName=\"ZZ1\" FTPPassword=\"ABC\"/></p>"), document));
  module.ReadSettings(document.documentElement());
  EXPECT_TRUE(module.FTPUserName.isEmpty());
  EXPECT_EQ(module.FTPPassword.size(), 1);
  EXPECT_EQ(module.UnreadableCredentials, QStringList({"FTPUserName", "FTPPassword"}));
  // Saved again, what the user typed stays as typed until a value is changed.
  module.FTPUserName = QStringLiteral("new");
  QDomDocument saved = NewXmlDocument(QStringLiteral("p"));
  QDomElement root = saved.documentElement();
  module.WriteSettings(root);
  EXPECT_EQ(Attribute(saved, "FTPPassword"), QStringLiteral("ABC"));
  EXPECT_EQ(QString::fromStdString(DecryptSetting(Attribute(saved, "FTPUserName").toStdString())), QStringLiteral("new"));
  ASSERT_TRUE(LoadXmlText(QStringLiteral("<p><Settings FTPPassword=\"%1\"/></p>")
                              .arg(QString::fromStdString(EncryptSetting("pw"))),
                          document));
  module.ReadSettings(document.documentElement());
  EXPECT_EQ(module.FTPPassword, QStringLiteral("pw"));
  EXPECT_TRUE(module.UnreadableCredentials.isEmpty());
}

TEST(UploadSettings, EveryCharacterOfTheSettingsSurvives) {
  TFTPUploadModule module;
  module.FTPServer = QStringLiteral("b\u00fccher.example");
  module.FTPRemoteRoot = QStringLiteral("/\u00e9t\u00e9/\u4e2d");
  module.FTPUserName = QStringLiteral("\u0438\u0432\u0430\u043d");       // in the code page
  module.FTPPassword = QStringLiteral("p\u00e4ss \u2615 \U0001F511");  // outside it
  QDomDocument document = NewXmlDocument(QStringLiteral("iklproj"));
  QDomElement root = document.documentElement();
  module.WriteSettings(root);
  // A credential the code page holds stays enciphered in its bytes, as older files have it.
  EXPECT_EQ(DecryptSetting(Attribute(document, "FTPUserName").toStdString()), "\xE8\xE2\xE0\xED");
  QDomDocument reread;
  ASSERT_TRUE(LoadXmlText(document.toString(), reread));
  TFTPUploadModule other;
  other.ReadSettings(reread.documentElement());
  EXPECT_EQ(other.FTPServer, module.FTPServer);
  EXPECT_EQ(other.FTPRemoteRoot, module.FTPRemoteRoot);
  EXPECT_EQ(other.FTPUserName, module.FTPUserName);
  EXPECT_EQ(other.FTPPassword, module.FTPPassword);
}

// A project of an earlier version, plain FTP, opened and saved again: the same bytes, no
// Protocol. The other protocols and a trusted certificate are written and read back.
TEST(UploadSettings, APlainFTPProjectIsSavedByteForByteAsBefore) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("site.iklproj"));
  const QByteArray earlier =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n\n<iklproj>\n "
      "<content>[index.html]\nHi</content>\n"
      " <Settings FTPServer=\"ftp.example.org\" FTPUserName=\"" +
      QByteArray::fromStdString(EncryptSetting("bob")) +
      "\" FTPPort=\"21\" FTPRemoteRoot=\"/www\" FTPPassiveMode=\"1\" UploadChangesOnly=\"1\">\n"
      "  <UploadFiles>index.html=0123456789abcdef0123456789abcdef</UploadFiles>\n"
      " </Settings>\n</iklproj>";
  TFTPUploadModule module;
  auto saveAgain = [&](const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const TProjectFileContents project = TProjectFile::Read(path);
    module.ReadSettings(project.Root());
    TProjectFile::Write(path, project.Text, [&](QDomElement& root) { module.WriteSettings(root); });
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
  };
  EXPECT_EQ(saveAgain(earlier), earlier.toStdString());
  EXPECT_EQ(module.Protocol(), QStringLiteral("ftp"));

  QByteArray secured = earlier;
  secured.replace("UploadChangesOnly=\"1\"",
                  "UploadChangesOnly=\"1\" Protocol=\"ftps\" TrustedCertificate=\"AB:CD\"");
  EXPECT_EQ(saveAgain(secured), secured.toStdString());
  EXPECT_EQ(module.Protocol(), QStringLiteral("ftps"));
  EXPECT_EQ(saveAgain(earlier), earlier.toStdString());  // absent again: plain FTP, nothing trusted
  EXPECT_TRUE(module.TrustedCertificate.isEmpty());
}

// A protocol a later version may know is kept, and no transfer falls back to another one.
TEST(UploadSettings, AnUnknownProtocolIsKeptAndRefused) {
  TFTPUploadModule module;
  module.SetProtocol(QStringLiteral("scp"));
  EXPECT_EQ(module.Protocol(), QStringLiteral("scp"));
  TFTPError why;
  EXPECT_EQ(TTransferClient::Make(module.Settings(), nullptr, why), nullptr);
  EXPECT_EQ(why.Kind, TFTPError::feUnknownProtocol);
  EXPECT_EQ(why.Detail, "scp");
}
