#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace testsupport {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "w32test.XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

namespace {

void Drain(int fd, std::string* into) {
  char buf[4096];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return;
    into->append(buf, static_cast<std::size_t>(n));
  }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const ProcessOptions& options) {
  ProcessResult result;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;

  pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    for (const std::string& name : options.unset) unsetenv(name.c_str());
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : options.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  bool watching = static_cast<bool>(options.whileRunning);
  int status = 0;
  for (;;) {
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    poll(fds, 2, 10);
    Drain(outPipe[0], &result.out);
    Drain(errPipe[0], &result.err);
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (watching && options.whileRunning(pid)) watching = false;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.err += "\n[killed: timed out]";
      break;
    }
  }
  fcntl(outPipe[0], F_SETFL, 0);
  fcntl(errPipe[0], F_SETFL, 0);
  Drain(outPipe[0], &result.out);
  Drain(errPipe[0], &result.err);
  close(outPipe[0]);
  close(errPipe[0]);

  if (WIFEXITED(status)) {
    result.exited = true;
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.status = WTERMSIG(status);
  }
  return result;
}

ProcessResult RunSetup(const ProcessOptions& options) { return RunProcess(SETUP_BINARY, options); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

ProcessResult RunCommand(const std::string& commandLine) {
  ProcessOptions options;
  options.args = {"-c", commandLine};
  return RunProcess("/bin/sh", options);
}

}  // namespace testsupport
