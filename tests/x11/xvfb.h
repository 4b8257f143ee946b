// A private X server for a test or benchmark: Xvfb on a display number it picks itself,
// stopped when the owner goes. Tests that cannot get one are skipped.
#ifndef TESTS_X11_XVFB_H
#define TESTS_X11_XVFB_H

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace x11test {

class Xvfb {
 public:
  // Starts "Xvfb -screen 0 <screen>" (e.g. "1024x768x24"); on failure
  // running() is false and reason() says why.
  explicit Xvfb(const std::string& screen = "1024x768x24");
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  bool running() const { return pid_ > 0; }
  const std::string& reason() const { return reason_; }
  const std::string& name() const { return name_; }  // ":N"

 private:
  int pid_ = -1;
  std::string name_;
  std::string reason_;
};

// Defined here, not in a source file of its own, so that the benchmarks
// can start a server too.
inline Xvfb::Xvfb(const std::string& screen) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    reason_ = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  pid_t pid = fork();
  if (pid < 0) {
    reason_ = std::string("fork: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return;
  }
  if (pid == 0) {
    // The write end must survive exec: -displayfd writes the number there.
    int fd = dup(fds[1]);
    std::string fdText = std::to_string(fd);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  pid_ = pid;

  std::string number;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(15000);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      reason_ = "Xvfb did not report a display within 15 s";
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[32];
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) {
      reason_ = "Xvfb exited before it reported a display (is the xvfb package installed?)";
      break;
    }
    number.append(buf, static_cast<std::size_t>(n));
    if (number.find('\n') != std::string::npos) break;
  }
  close(fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
  if (!reason_.empty() || number.empty()) {
    if (reason_.empty()) reason_ = "Xvfb reported no display number";
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return;
  }
  name_ = ":" + number;
}

inline Xvfb::~Xvfb() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  waitpid(pid_, &status, 0);
}

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A window's pixels as the server holds them (XGetImage of the window).
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned long> values;  // as the visual encodes them
  unsigned long At(int x, int y) const {
    return values[static_cast<std::size_t>(y) * width + x];
  }
};
Pixels ReadWindow(Display* d, Window w);

// The top-level windows (children of the root) now on the server.
std::vector<Window> TopLevels(Display* d);
// A text property as stored, or "" when absent.
std::string TextProperty(Display* d, Window w, const char* property, Atom* type = nullptr);

// Protocol errors (a window gone while a test looks at it) are answered by
// the call's result instead of ending the test program.
void IgnoreProtocolErrors();

// What a window manager sends when the user clicks the close box.
void SendDeleteWindow(Display* d, Window w);

// Waits up to timeoutMs for a top-level window titled title (WM_NAME);
// 0 when none came.
Window WaitForTopLevel(Display* d, const std::string& title, int timeoutMs);

}  // namespace x11test

#endif  // TESTS_X11_XVFB_H
