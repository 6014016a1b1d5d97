// The password in the desktop keyring, with a real GNOME Keyring on a private bus: a script
// gives the password and saves, and inkloom --upload logs in with what was kept. Where a
// keyring runs the project file holds no password; on a bus without one, or with one that is
// locked and cannot ask anybody, it holds the enciphered form, as before.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>

#include "FTPTestServer.h"
#include "KeyringBus.h"
#include "ScratchFolder.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"

namespace {

namespace fs = std::filesystem;

// The sample project, its settings pointing at the server's "/www" with no password yet.
QString MakeProject(const TScratchFolder& work, const TFTPTestServer& server) {
  fs::create_directory(server.Home().Path() / "www");
  fs::copy(fs::path(INKLOOM_SOURCE_DIR) / "examples/sample", work.Path() / "project", fs::copy_options::recursive);
  const QString project = QString::fromStdString((work.Path() / "project/sample.iklproj").string());
  TFTPUploadModule settings;
  settings.FTPServer = QStringLiteral("127.0.0.1");
  settings.FTPPort = QString::fromStdString(server.Port());
  settings.FTPUserName = QString::fromLatin1(TFTPTestServer::UserName);
  settings.FTPRemoteRoot = QStringLiteral("/www");
  TProjectFile::Write(project, TProjectFile::Read(project).Text, [&settings](QDomElement& root) { settings.WriteSettings(root); });
  return project;
}

int RunProgram(const QStringList& arguments, const TKeyringBus& bus, const TScratchFolder& work) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const std::string& variable : bus.Variables())
    environment.insert(QString::fromStdString(variable).section(u'=', 0, 0), QString::fromStdString(variable).section(u'=', 1));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((work.Path() / "config").string()));
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(INKLOOM_PROGRAM), arguments);
  program.waitForFinished(90000);
  const QByteArray output = program.readAllStandardOutput() + program.readAllStandardError();
  EXPECT_EQ(program.exitCode(), 0) << output.toStdString();
  return program.exitCode();
}

}  // namespace

TEST(Keyring, ThePasswordStaysInTheKeyringWhereOneRunsAndInTheFileElsewhere) {
  struct TCase {
    const char* Name;
    TKeyringBus::TKeyring Keyring;
    bool InFile;
  } cases[] = {
      {"unlocked keyring", TKeyringBus::kUnlocked, false},
      {"bus without a keyring", TKeyringBus::kNone, true},
      {"locked keyring", TKeyringBus::kLocked, true},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Name);
    TScratchFolder work;
    const TFTPTestServer server;
    const TKeyringBus bus(work.Path() / "session", test.Keyring);
    const QString project = MakeProject(work, server);
    const std::string script = work.Write("password.js", std::string("Settings.FTPPassword = '") + TFTPTestServer::Password +
                                                             "';\nSave('" + project.toStdString() + "');\n");
    RunProgram({QStringLiteral("--run-script"), QString::fromStdString(script), project}, bus, work);
    const QDomElement settings = FindChildElement(TProjectFile::Read(project).Root(), QStringLiteral("Settings"));
    EXPECT_EQ(settings.hasAttribute(QStringLiteral("FTPPassword")), test.InFile);
    RunProgram({QStringLiteral("--upload"), project}, bus, work);
    EXPECT_TRUE(server.Home().Exists("www/index.html"));
  }
}
