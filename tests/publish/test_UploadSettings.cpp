#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"
#include "publish/TransferClient.h"
#include "publish/Twofish.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

// What a file does not say starts from the defaults: another project's server, credentials and
// record never follow the next file opened.
TEST(UploadSettings, AnOpenedFileStartsFromTheDefaultsWhereItSaysNothing) {
  TFTPUploadModule module;
  module.FTPServer = QStringLiteral("earlier.example.org");
  module.FTPUserName = QStringLiteral("user");
  module.FTPPassword = QStringLiteral("secret");
  module.FTPPort = QStringLiteral("2121");
  module.UploadedFiles = {QStringLiteral("a=b")};
  QDomDocument document;
  for (const char* file : {"<p><Settings FTPPassiveMode=\"true\"/></p>", "<p><content>x</content></p>"}) {
    ASSERT_TRUE(LoadXmlText(QString::fromLatin1(file), document));
    module.ReadSettings(document.documentElement());
    EXPECT_TRUE(module.FTPServer.isEmpty()) << file;
    EXPECT_TRUE(module.FTPUserName.isEmpty() && module.FTPPassword.isEmpty()) << file;
    EXPECT_EQ(module.FTPPort, QStringLiteral("21")) << file;
    EXPECT_TRUE(module.UploadedFiles.isEmpty()) << file;
  }
  EXPECT_TRUE(module.FTPPassiveMode);
  ASSERT_TRUE(LoadXmlText(QStringLiteral("<p><Settings FTPPassiveMode=\"true\"/></p>"), document));
  module.ReadSettings(document.documentElement());
  EXPECT_FALSE(module.FTPPassiveMode);  // only "1" is on
  module.ReadSettings(QDomElement());   // a text file
  EXPECT_TRUE(module.FTPPassiveMode);
  EXPECT_TRUE(module.UploadChangesOnly);

  // A new project of the wizard keeps where it goes, not the password nor the record.
  module.FTPServer = QStringLiteral("host");
  module.FTPUserName = QStringLiteral("user");
  module.FTPPassword = QStringLiteral("secret");
  module.UploadedFiles = {QStringLiteral("a=b")};
  module.StartNewProject();
  EXPECT_EQ(module.FTPServer + module.FTPUserName, QStringLiteral("hostuser"));
  EXPECT_TRUE(module.FTPPassword.isEmpty() && module.UploadedFiles.isEmpty());
}

// The record and the stored password belong to where they were made: another protocol, server,
// port (or, for the record, user or folder) sees every file as new and gets no password.
TEST(UploadSettings, TheRecordAndThePasswordStayWithTheirDestination) {
  TFTPUploadModule stored;
  stored.FTPServer = QStringLiteral("a.example.org");
  stored.FTPPassword = QStringLiteral("secret");
  stored.FTPRemoteRoot = QStringLiteral("/www");
  stored.UploadedFiles = {QStringLiteral("index.html=0123")};
  stored.RecordDestination = stored.Destination();
  stored.RecordDestinationStated = true;
  QDomDocument document = NewXmlDocument(QStringLiteral("iklproj"));
  QDomElement root = document.documentElement();
  stored.WriteSettings(root);
  const auto opened = [&root] {
    auto module = std::make_unique<TFTPUploadModule>();
    module->ReadSettings(root);
    return module;
  };
  const std::function<void(TFTPUploadModule&)> moves[] = {
      [](TFTPUploadModule& m) { m.SetProtocol(QStringLiteral("sftp")); },
      [](TFTPUploadModule& m) { m.FTPServer = QStringLiteral("evil.example.org"); },
      [](TFTPUploadModule& m) { m.FTPPort = QStringLiteral("2121"); },
  };
  for (const auto& move : moves) {
    auto module = opened();
    EXPECT_FALSE(module->RecordElsewhere());
    EXPECT_EQ(module->Settings().Password, QStringLiteral("secret"));
    move(*module);
    EXPECT_TRUE(module->RecordElsewhere());
    EXPECT_TRUE(module->Settings().Password.isEmpty());
    QDomDocument saved = NewXmlDocument(QStringLiteral("iklproj"));
    QDomElement savedRoot = saved.documentElement();
    module->WriteSettings(savedRoot);
    EXPECT_FALSE(Settings(saved).hasAttribute(QStringLiteral("FTPPassword")));
    module->SetPassword(QStringLiteral("given anew"));  // a script or the dialog gives it
    EXPECT_EQ(module->Settings().Password, QStringLiteral("given anew"));
  }
  auto elsewhere = opened();
  elsewhere->FTPRemoteRoot = QStringLiteral("/new");
  EXPECT_TRUE(elsewhere->RecordElsewhere());
  EXPECT_EQ(elsewhere->Settings().Password, QStringLiteral("secret"));  // the same server
  // A record of older versions, without its destination, belongs to the settings beside it.
  Settings(document).firstChildElement(QStringLiteral("UploadFiles")).removeAttribute(QStringLiteral("Destination"));
  EXPECT_FALSE(opened()->RecordElsewhere());
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
