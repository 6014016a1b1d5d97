// inkloom --upload against a real server: the progress lines, the outcome's statement, the files
// not sent, the exit code, the saved record, credentials from the environment or typed in by
// hand, --dry-run, and Ctrl+C.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "FTPTestServer.h"
#include "SSHTestServer.h"
#include "ScratchFolder.h"
#include "TestCertificates.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"
#include "publish/FTPUploadModule.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

using TSettingsChange = std::function<void(TFTPUploadModule&)>;

class UploadCommand : public ::testing::Test {
 protected:
  // A copy of the sample project whose settings point at the server's "/www", then changed.
  void MakeProject(const std::vector<std::string>& switches = {},
                   const TSettingsChange& change = {}) {
    Server = std::make_unique<TFTPTestServer>(switches);
    fs::create_directory(Server->Home().Path() / "www");
    fs::remove_all(Work.Path() / "project");
    fs::copy(fs::path(INKLOOM_SOURCE_DIR) / "examples/sample", Work.Path() / "project",
             fs::copy_options::recursive);
    Project = QString::fromStdString((Work.Path() / "project/sample.iklproj").string());
    TFTPUploadModule settings;
    settings.FTPServer = QStringLiteral("127.0.0.1");
    settings.FTPPort = QString::fromStdString(Server->Port());
    settings.FTPUserName = QString::fromLatin1(TFTPTestServer::UserName);
    settings.FTPPassword = QString::fromLatin1(TFTPTestServer::Password);
    settings.FTPRemoteRoot = QStringLiteral("/www");
    if (change) change(settings);
    // The feed's build time is fixed, so that two runs build the same site.
    const QString text = TProjectFile::Read(Project).Text.replace(QStringLiteral("{NOW}"), QStringLiteral("Mon, 07 Dec 2026 10:00:00 GMT"));
    TProjectFile::Write(Project, text, [&settings](QDomElement& root) { settings.WriteSettings(root); });
  }

  // Starts the program with these options after the project and these NAME=value variables
  // added to the environment; Finish waits for it and gives its exit code.
  void Start(std::vector<std::string> options = {}, std::vector<std::string> variables = {}) {
    std::string program = INKLOOM_PROGRAM, upload = "--upload";
    // From the project's own folder the project is named without one.
    std::string project = Folder.empty() ? Project.toStdString() : QFileInfo(Project).fileName().toStdString();
    std::string out = (Work.Path() / "stdout").string(), err = (Work.Path() / "stderr").string();
    std::vector<char*> argv = {program.data(), upload.data(), project.data()};
    for (std::string& option : options) argv.push_back(option.data());
    argv.push_back(nullptr);
    variables.push_back("XDG_CONFIG_HOME=" + (Work.Path() / "config").string());
    std::vector<char*> env;
    for (char** entry = environ; *entry; ++entry) env.push_back(*entry);
    for (std::string& variable : variables) env.push_back(variable.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!Folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, Folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(posix_spawn(&Process, argv[0], &actions, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
  }
  int Finish() {
    int status = 0;
    waitpid(Process, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Run(std::vector<std::string> options = {}, std::vector<std::string> variables = {}) {
    Start(std::move(options), std::move(variables));
    return Finish();
  }
  std::string Output(const char* name) const { return Work.Read(name); }
  std::vector<std::string> Lines(const char* name) const {
    std::istringstream text(Output(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  int ProgressLines() const {
    int count = 0;
    for (const std::string& line : Lines("stderr")) count += line.rfind("Upload file: ", 0) == 0;
    return count;
  }
  QByteArray ProjectBytes() const {
    QFile file(Project);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QString StoredAttribute(const char* name) const {
    QDomElement settings =
        FindChildElement(TProjectFile::Read(Project).Root(), QStringLiteral("Settings"));
    return GetAttributeText(settings, QLatin1String(name), QStringLiteral("<none>"));
  }
  QStringList Record() const {
    TFTPUploadModule module;
    module.ReadSettings(TProjectFile::Read(Project).Root());
    return module.UploadedFiles;
  }
  // The site's files as --upload would list them, "/" between folder names.
  std::vector<std::string> SiteFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Work.Path() / "project/html"))
      if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')  // hidden: not sent
        files.push_back(fs::relative(entry.path(), Work.Path() / "project/html").string());
    return files;
  }
  std::string SiteFileSize(const std::string& path) const {
    return std::to_string(fs::file_size(Work.Path() / "project/html" / path));
  }
  std::string SiteFileLine(const std::string& path) const {
    return path + " (" + SiteFileSize(path) + " bytes)";
  }
  // Puts text where the project file holds the enciphered password, as someone editing the file
  // by hand would; the file's new bytes.
  QByteArray TypeInPassword(const char* text) {
    QByteArray bytes = ProjectBytes().replace(StoredAttribute("FTPPassword").toLatin1(), text);
    QFile file(Project);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return bytes;
  }

  TScratchFolder Work;
  std::unique_ptr<TFTPTestServer> Server;
  QString Project;
  pid_t Process = -1;
  std::string Folder;  // the program's working folder when not empty
};

}  // namespace

TEST_F(UploadCommand, UploadsTheBuiltSiteAndSavesTheRecord) {
  MakeProject();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Output("stdout"), "Upload complete.\n");
  EXPECT_NE(Output("stderr").find("Upload file: index.html ("), std::string::npos);
  // The user's paths have "/"; the record keeps the "\" of its format.
  EXPECT_NE(Output("stderr").find("Upload file: img/logo.png ("), std::string::npos);
  EXPECT_EQ(Output("stderr").find('\\'), std::string::npos);
  EXPECT_TRUE(Server->Home().Exists("www/index.html"));
  EXPECT_TRUE(Server->Home().Exists("www/img/logo.png"));
  QStringList record = Record();
  EXPECT_EQ(record.filter(QRegularExpression(QStringLiteral("^index\\.html=[0-9a-f]{32}$"))).size(), 1);
  EXPECT_EQ(record.filter(QRegularExpression(QStringLiteral("^img\\\\logo\\.png="))).size(), 1);
  EXPECT_EQ(record.size(), ProgressLines());
}

TEST_F(UploadCommand, FailuresNameTheServerAndTheCauseExitWith1AndLeaveTheProjectAlone) {
  const std::string unused = TFTPTestServer::UnusedPort();
  struct TCase {
    const char* Name;
    TSettingsChange Change;
    std::string Statement;  // "PORT" stands for the test server's port
  } cases[] = {
      {"refused port", [&](TFTPUploadModule& s) { s.FTPPort = QString::fromStdString(unused); },
       "Cannot connect to 127.0.0.1:" + unused + ": connection refused."},
      {"unknown host", [](TFTPUploadModule& s) { s.FTPServer = QStringLiteral("nohost.invalid"); },
       "Cannot connect to nohost.invalid:PORT: host not found."},
      {"wrong password", [](TFTPUploadModule& s) { s.FTPPassword = QStringLiteral("wrong"); },
       "The server 127.0.0.1:PORT refused the log-in: 530 Authentication failed."},
      {"missing folder", [](TFTPUploadModule& s) { s.FTPRemoteRoot = QStringLiteral("/missing"); },
       "Cannot enter the remote folder /missing on 127.0.0.1:PORT: 550 No such file or directory."},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Name);
    MakeProject({}, test.Change);
    const QByteArray before = ProjectBytes();
    EXPECT_EQ(Run(), 1);
    std::string statement = test.Statement;
    if (size_t at = statement.find("PORT"); at != std::string::npos)
      statement.replace(at, 4, Server->Port());
    EXPECT_EQ(Output("stdout"), statement + "\n");
    EXPECT_EQ(ProjectBytes(), before);
    fs::remove_all(Work.Path() / "project");
  }
}

TEST_F(UploadCommand, FTPSSendsNothingUntilTheCertificateIsTrusted) {
  TTestCertificates certificates;
  const std::string fingerprint = TTestCertificates::Fingerprint(certificates.SelfSigned());
  MakeProject({"--tls", certificates.SelfSigned()},
              [](TFTPUploadModule& settings) { settings.SetProtocol(QStringLiteral("ftps")); });
  EXPECT_EQ(Run(), 1);
  EXPECT_NE(Output("stdout").find("The certificate of 127.0.0.1:" + Server->Port() +
                                  " is not trusted (self-signed certificate). Nothing was sent. "
                                  "Its SHA-256 fingerprint is " +
                                  fingerprint + ":"),
            std::string::npos)
      << Output("stdout");
  EXPECT_FALSE(Server->Received("USER"));

  TFTPUploadModule settings;
  const TProjectFileContents project = TProjectFile::Read(Project);
  settings.ReadSettings(project.Root());
  settings.TrustedCertificate = QString::fromStdString(fingerprint);
  TProjectFile::Write(Project, project.Text,
                      [&settings](QDomElement& root) { settings.WriteSettings(root); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Output("stdout"), "Upload complete.\n");
  EXPECT_EQ(StoredAttribute("Protocol"), QStringLiteral("ftps"));
  EXPECT_EQ(StoredAttribute("TrustedCertificate").toStdString(), fingerprint);
}

// With an empty password the user's key logs in; HOME is the test server's client home.
TEST_F(UploadCommand, SFTPSendsNothingToAnUnknownHostThenPublishesWithTheUsersKey) {
  TSSHTestServer ssh;
  fs::create_directory(ssh.Files().Path() / "www");
  const std::string www = (ssh.Files().Path() / "www").string();
  MakeProject({}, [&](TFTPUploadModule& settings) {
    settings.SetProtocol(QStringLiteral("sftp"));
    settings.FTPPort = QString::fromStdString(ssh.Port());
    settings.FTPUserName = QString::fromStdString(TSSHTestServer::UserName());
    settings.FTPPassword.clear();
    settings.FTPRemoteRoot = QString::fromStdString(www);
  });
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", ssh.Home().c_str(), 1);
  struct TRestoreHome {
    std::string Home;
    ~TRestoreHome() { setenv("HOME", Home.c_str(), 1); }
  } restore{home};
  EXPECT_EQ(Run({}, {"SSH_AUTH_SOCK="}), 1);
  EXPECT_NE(Output("stdout").find("is not known. Nothing was sent. Its fingerprint is " + ssh.HostKeyFingerprint()),
            std::string::npos)
      << Output("stdout");
  EXPECT_FALSE(ssh.LogInTried());
  // Trusted as OpenSSH's own client would have it.
  const std::string scan = "ssh-keyscan -p " + ssh.Port() + " 127.0.0.1 >> " + ssh.Home() + "/.ssh/known_hosts 2>/dev/null";
  ASSERT_EQ(std::system(scan.c_str()), 0);
  EXPECT_EQ(Run({}, {"SSH_AUTH_SOCK="}), 0) << Output("stdout");
  EXPECT_EQ(Output("stdout"), "Upload complete.\n");
  EXPECT_TRUE(ssh.Files().Exists("www/index.html"));
  EXPECT_TRUE(ssh.Files().Exists("www/img/logo.png"));
  EXPECT_EQ(Record().size(), ProgressLines());
  EXPECT_EQ(Run({}, {"SSH_AUTH_SOCK="}), 0);  // nothing changed: nothing sent
  EXPECT_EQ(ProgressLines(), 0) << Output("stderr");
}

TEST_F(UploadCommand, FilesNotSentAreListedWithTheServersReply) {
  MakeProject({"--refuse-stor"});
  EXPECT_EQ(Run(), 1);
  std::vector<std::string> lines = Lines("stdout");
  const std::vector<std::string> files = SiteFiles();
  ASSERT_EQ(lines.size(), files.size() + 1);
  EXPECT_EQ(lines[0], "Upload finished; files not sent: " + std::to_string(files.size()) + ".");
  for (const std::string& file : files) {
    std::string line = "failed: " + file + ": 553 Requested action not taken.";
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
  EXPECT_TRUE(Record().isEmpty());
}

TEST_F(UploadCommand, HandTypedCredentialIsReportedAndNothingConnects) {
  MakeProject();
  const QByteArray text = TypeInPassword("secret");
  EXPECT_EQ(Run(), 1);
  EXPECT_NE(Output("stderr").find("FTPPassword in " + Project.toStdString() + " cannot be read"),
            std::string::npos);
  EXPECT_NE(Output("stderr").find("INKLOOM_FTP_PASSWORD"), std::string::npos);
  EXPECT_TRUE(Server->Commands().empty());
  EXPECT_EQ(ProjectBytes(), text);
}

TEST_F(UploadCommand, EnvironmentCredentialsAreUsedAndNeverWritten) {
  // A stored name that is wrong and a password typed in by hand: both are replaced.
  MakeProject({}, [](TFTPUploadModule& s) { s.FTPUserName = QStringLiteral("bob"); });
  TypeInPassword("by hand");
  const QString user = StoredAttribute("FTPUserName");
  EXPECT_EQ(Run({}, {"INKLOOM_FTP_USER=alice", "INKLOOM_FTP_PASSWORD=secret"}), 0);
  EXPECT_EQ(Output("stdout"), "Upload complete.\n");
  EXPECT_TRUE(Server->Received("USER alice"));
  EXPECT_FALSE(Record().isEmpty());
  EXPECT_EQ(StoredAttribute("FTPUserName"), user);
  EXPECT_EQ(StoredAttribute("FTPPassword"), QStringLiteral("by hand"));
  EXPECT_EQ((Output("stdout") + Output("stderr")).find("secret"), std::string::npos);
}

TEST_F(UploadCommand, DryRunListsWhatWouldBeSentBeforeAndAfterAnUpload) {
  MakeProject();
  const QByteArray project = ProjectBytes();
  EXPECT_EQ(Run({"--dry-run"}), 0);
  std::vector<std::string> files = SiteFiles();
  std::vector<std::string> lines = Lines("stdout");
  ASSERT_EQ(lines.size(), files.size() + 1);
  for (const std::string& file : files)
    EXPECT_NE(std::find(lines.begin(), lines.end(), SiteFileLine(file)), lines.end()) << file;
  EXPECT_EQ(lines.back().rfind("Files to send: " + std::to_string(files.size()) + " (", 0), 0u);
  EXPECT_NE(lines.back().find("bytes). Unchanged files: 0."), std::string::npos);
  EXPECT_TRUE(Server->Commands().empty());
  EXPECT_EQ(ProjectBytes(), project);

  ASSERT_EQ(Run(), 0);
  std::ofstream(Work.Path() / "project/template/style.css", std::ios::app) << "\n/* more */\n";
  EXPECT_EQ(Run({"--dry-run"}), 0);
  EXPECT_EQ(Output("stdout"), SiteFileLine("style.css") + "\nFiles to send: 1 (" +
                                  SiteFileSize("style.css") + " bytes). Unchanged files: " +
                                  std::to_string(files.size() - 1) + ".\n");
}

TEST_F(UploadCommand, InterruptCancelsTheRunAndExitsWith130) {
  MakeProject({"--mute-on", "STOR"});
  Start();
  // The server never answers the first STOR: only the interrupt ends the wait in time.
  for (int i = 0; i < 3000 && !Server->Received("STOR"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(Process, SIGINT);
  EXPECT_EQ(Finish(), 130);
  EXPECT_EQ(Output("stdout"), "Upload aborted.\n");
  EXPECT_TRUE(Record().isEmpty());
}

// The record is applied to the project file as it is at the end: an edit saved while the upload
// ran stays; a file that is no longer this project is left alone and the run says so.
TEST_F(UploadCommand, TheRecordJoinsTheFileAsItIsAtTheEnd) {
  // The server holds the first STOR until the edit is done.
  const std::string release = (Work.Path() / "release").string();
  const auto editDuringUpload = [&](const std::function<void()>& edit) {
    fs::remove(release);
    MakeProject({"--stall-on", "STOR", "--release", release});
    Start();
    for (int i = 0; i < 3000 && !Server->Received("STOR"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    edit();
    std::ofstream(release).put('x');
    return Finish();
  };
  EXPECT_EQ(editDuringUpload([&] {
              QDomDocument edited = TProjectFile::Read(Project).Document;
              QDomElement content = FindChildElement(edited.documentElement(), QStringLiteral("content"));
              content.appendChild(edited.createTextNode(QStringLiteral("\nadded meanwhile")));
              QFile file(Project);
              ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(edited.toByteArray()) > 0);
            }),
            0);
  EXPECT_TRUE(TProjectFile::Read(Project).Text.endsWith(QStringLiteral("added meanwhile")));
  EXPECT_EQ(Record().size(), ProgressLines());
  EXPECT_FALSE(Record().isEmpty());

  const QByteArray replaced = "not a project any more";
  EXPECT_EQ(editDuringUpload([&] {
              QFile file(Project);
              ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(replaced) == replaced.size());
            }),
            1);
  EXPECT_EQ(ProjectBytes(), replaced);
  EXPECT_NE(Output("stderr").find("The record of the uploaded files was not saved"), std::string::npos);
}

TEST_F(UploadCommand, AProjectNamedWithoutAFolderIsSavedInPlace) {
  MakeProject();
  Folder = (Work.Path() / "project").string();
  EXPECT_EQ(Run(), 0) << Output("stderr");
  EXPECT_EQ(Record().size(), ProgressLines());
  EXPECT_FALSE(Record().isEmpty());
}

// --dry-run lists what the site lost, a plain run keeps it, --delete deletes it without asking:
// only files of the record, and a refused deletion is listed with the server's reply.
TEST_F(UploadCommand, DeleteRemovesOnlyRecordedFilesTheSiteLost) {
  struct TCase {
    std::vector<std::string> Options;
    int Exit;
    const char* Printed;
    bool OldStays;
  };
  const TCase cases[] = {
      {{"--dry-run"}, 0, "no longer in the site: old/page.html\n", true},
      {{}, 0, "Upload complete.\n", true},
      {{"--delete"}, 1, "not deleted: missing.html: 550 ", false},
  };
  for (const TCase& c : cases) {
    MakeProject({}, [](TFTPUploadModule& settings) {
      settings.UploadedFiles = QStringList{QStringLiteral("old\\page.html=0"), QStringLiteral("missing.html=0")};
    });
    Server->Home().Write("www/old/page.html", "old");
    Server->Home().Write("www/stray.html", "theirs");
    EXPECT_EQ(Run(c.Options), c.Exit) << c.Printed;
    EXPECT_NE(Output("stdout").find(c.Printed), std::string::npos) << Output("stdout");
    EXPECT_EQ(Server->Home().Exists("www/old/page.html"), c.OldStays) << c.Printed;
    EXPECT_TRUE(Server->Home().Exists("www/stray.html"));
  }
  EXPECT_FALSE(Record().join(u'\n').contains(QStringLiteral("old\\page.html")));
  EXPECT_TRUE(Record().contains(QStringLiteral("missing.html=0")));
}
