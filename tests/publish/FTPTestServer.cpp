#include "FTPTestServer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// The first line the server prints (its port), waiting at most a while for it.
std::string ReadFirstLine(int handle) {
  std::string line;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    pollfd entry{handle, POLLIN, 0};
    if (poll(&entry, 1, 100) <= 0) continue;
    char c;
    if (read(handle, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  throw std::runtime_error("the FTP test server did not start");
}

}  // namespace

TFTPTestServer::TFTPTestServer(const std::vector<std::string>& switches) {
  std::vector<std::string> arguments = {
      "/usr/bin/python3", std::string(INKLOOM_SOURCE_DIR) + "/tests/publish/ftp_server.py",
      "--root", HomeFolder.Path().string(), "--log", (LogFolder.Path() / "commands").string(),
      "--user", UserName, "--password", Password};
  arguments.insert(arguments.end(), switches.begin(), switches.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  int failed = posix_spawn(&Process, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  close(output[1]);
  Input = input[1];
  if (failed) {
    close(output[0]);
    throw std::runtime_error("cannot start /usr/bin/python3");
  }
  try {
    PortText = ReadFirstLine(output[0]);
  } catch (...) {
    close(output[0]);
    Stop();
    throw;
  }
  close(output[0]);
}

TFTPTestServer::~TFTPTestServer() { Stop(); }

void TFTPTestServer::Stop() {
  if (Input >= 0) close(Input);
  Input = -1;
  if (Process <= 0) return;
  for (int i = 0; i < 100; ++i) {
    if (waitpid(Process, nullptr, WNOHANG) == Process) {
      Process = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(Process, SIGKILL);
  waitpid(Process, nullptr, 0);
  Process = -1;
}

void TFTPTestServer::Kill() {
  if (Process > 0) kill(Process, SIGKILL);
  Stop();
}

void TFTPTestServer::Freeze(bool frozen) {
  if (Process > 0) kill(Process, frozen ? SIGSTOP : SIGCONT);
}

std::vector<std::string> TFTPTestServer::Commands() const {
  std::istringstream log(LogFolder.Read("commands"));
  std::vector<std::string> commands;
  for (std::string line; std::getline(log, line);) commands.push_back(line);
  return commands;
}

bool TFTPTestServer::Received(const std::string& prefix) const {
  for (const std::string& command : Commands())
    if (command.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

std::string TFTPTestServer::UnusedPort() {
  int handle = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
  close(handle);
  return std::to_string(ntohs(address.sin_port));
}
