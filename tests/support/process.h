// Running the built program as a user would, and temporary system roots.
#ifndef TESTS_SUPPORT_PROCESS_H
#define TESTS_SUPPORT_PROCESS_H

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A temporary folder, removed with everything in it when the owner goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProcessResult {
  bool exited = false;  // false: killed by a signal
  int status = -1;      // exit status, or the signal's number
  std::string out;      // standard output
  std::string err;      // standard error
};

struct ProcessOptions {
  std::vector<std::string> args;             // after the program's name
  std::map<std::string, std::string> env;    // set (on top of this process's environment)
  std::vector<std::string> unset;            // removed from the environment
  // Called about every 10 ms while the child runs, with its pid; answer
  // true once done with it (e.g. after sending it a signal).
  std::function<bool(int pid)> whileRunning;
  int timeoutSeconds = 60;                   // then SIGKILL, and the result says so
};

ProcessResult RunProcess(const std::string& program, const ProcessOptions& options);

// The setup program as built.
ProcessResult RunSetup(const ProcessOptions& options);

// A file's whole content ("" when missing); its lines.
std::string ReadFile(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);
bool FileExists(const std::string& path);

// Runs a shell command line, capturing standard output.
ProcessResult RunCommand(const std::string& commandLine);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_PROCESS_H
