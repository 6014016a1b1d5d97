// inkloom --upload against a real server: the progress lines, the outcome's text, the exit code,
// the saved record, and Ctrl+C.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QFile>
#include <QRegularExpression>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "FTPTestServer.h"
#include "ScratchFolder.h"
#include "project/ProjectFile.h"
#include "publish/FTPUploadModule.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class UploadCommand : public ::testing::Test {
 protected:
  // A copy of the sample project whose settings point at the server's "/www".
  void MakeProject(const std::vector<std::string>& switches = {},
                   const std::string& password = TFTPTestServer::Password) {
    Server = std::make_unique<TFTPTestServer>(switches);
    fs::create_directory(Server->Home().Path() / "www");
    fs::copy(fs::path(INKLOOM_SOURCE_DIR) / "examples/sample", Work.Path() / "project",
             fs::copy_options::recursive);
    Project = QString::fromStdString((Work.Path() / "project/sample.iklproj").string());
    TFTPUploadModule settings;
    settings.FTPServer = QStringLiteral("127.0.0.1");
    settings.FTPPort = QString::fromStdString(Server->Port());
    settings.FTPUserName = QString::fromLatin1(TFTPTestServer::UserName);
    settings.FTPPassword = QString::fromStdString(password);
    settings.FTPRemoteRoot = QStringLiteral("/www");
    TProjectFile::Write(Project, TProjectFile::Read(Project).Text,
                        [&settings](QDomElement& root) { settings.WriteSettings(root); });
  }

  // Starts the program; Finish waits for it and gives its exit code.
  void Start() {
    std::string program = INKLOOM_PROGRAM, project = Project.toStdString();
    std::string out = (Work.Path() / "stdout").string(), err = (Work.Path() / "stderr").string();
    std::vector<char*> argv = {program.data(), const_cast<char*>("--upload"), project.data(),
                               nullptr};
    std::string config = "XDG_CONFIG_HOME=" + (Work.Path() / "config").string();
    std::vector<char*> env;
    for (char** entry = environ; *entry; ++entry) env.push_back(*entry);
    env.push_back(config.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
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
  std::string Output(const char* name) const { return Work.Read(name); }
  int ProgressLines() const {
    std::istringstream lines(Output("stderr"));
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.rfind("Upload file: ", 0) == 0;
    return count;
  }
  QStringList Record() const {
    TFTPUploadModule module;
    module.ReadSettings(TProjectFile::Read(Project).Root());
    return module.UploadedFiles;
  }

  TScratchFolder Work;
  std::unique_ptr<TFTPTestServer> Server;
  QString Project;
  pid_t Process = -1;
};

}  // namespace

TEST_F(UploadCommand, UploadsTheBuiltSiteAndSavesTheRecord) {
  MakeProject();
  Start();
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Output("stdout"), "Upload complete.\n");
  EXPECT_NE(Output("stderr").find("Upload file: index.html ("), std::string::npos);
  EXPECT_NE(Output("stderr").find("Upload file: img\\logo.png ("), std::string::npos);
  EXPECT_TRUE(Server->Home().Exists("www/index.html"));
  EXPECT_TRUE(Server->Home().Exists("www/img/logo.png"));
  QStringList record = Record();
  EXPECT_EQ(record.filter(QRegularExpression(QStringLiteral("^index\\.html=[0-9a-f]{32}$"))).size(), 1);
  EXPECT_EQ(record.size(), ProgressLines());
}

TEST_F(UploadCommand, RefusedLogInExitsWith1AndLeavesTheProjectAlone) {
  MakeProject({}, "wrong");
  QByteArray before = [this] { QFile f(Project); f.open(QIODevice::ReadOnly); return f.readAll(); }();
  Start();
  EXPECT_EQ(Finish(), 1);
  EXPECT_EQ(Output("stdout"), "Upload login failed. Show Upload Settings dialog now?\n");
  QFile after(Project);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
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
