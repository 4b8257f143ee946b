#include "display/wakeup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace w32::display {

bool WakeupPipe::Open(const char* owner, std::string* error) {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    *error = std::string(owner) + ": cannot create its wake-up pipe";
    return false;
  }
  read_.reset(fds[0]);
  write_.reset(fds[1]);
  return true;
}

void WakeupPipe::Wake() {
  int saved = errno;
  char byte = 1;
  ssize_t written = ::write(write_.get(), &byte, 1);
  (void)written;
  errno = saved;
}

bool WakeupPipe::Drain() {
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

}  // namespace w32::display
