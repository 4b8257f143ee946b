// The headless display: the screen exists only as the surface in memory.
// Nothing is shown and no user acts; the one event is a close signal, which
// reaches a blocked NextEvent through a self-pipe.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "display/backend.h"

namespace w32::display {
namespace {

// A file descriptor closed on every path.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend(int width, int height, int readFd, int writeFd)
      : width_(width), height_(height), read_(readFd), write_(writeFd) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void Flush(const Surface&, const RECT&) override {}
  void WindowShown(const RECT&, const char*) override {}
  void WindowHidden() override {}
  void SetCursorShape(int) override {}

  Event NextEvent(bool block) override {
    for (;;) {
      if (Drain()) return Event{Event::Interrupt, {}};
      if (!block) return Event{};
      pollfd p{read_.get(), POLLIN, 0};
      // EINTR is the signal whose handler has just written the byte; the
      // next round reads it.
      if (::poll(&p, 1, -1) < 0 && errno != EINTR) return Event{};
    }
  }

  // Called from a signal handler: only write(2), and errno left as found.
  void Interrupt() override {
    int saved = errno;
    char byte = 1;
    ssize_t written = ::write(write_.get(), &byte, 1);
    (void)written;  // a full pipe already holds a pending wake-up
    errno = saved;
  }

 private:
  // Empties the pipe; true when it held at least one wake-up.
  bool Drain() {
    bool any = false;
    char buf[64];
    for (;;) {
      ssize_t n = ::read(read_.get(), buf, sizeof buf);
      if (n > 0) {
        any = true;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      return any;
    }
  }

  int width_;
  int height_;
  UniqueFd read_;
  UniqueFd write_;
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend(const Config& config, std::string* error) {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    *error = "headless display: cannot create its wake-up pipe";
    return nullptr;
  }
  return std::make_unique<HeadlessBackend>(config.screenWidth, config.screenHeight, fds[0],
                                           fds[1]);
}

}  // namespace w32::display
