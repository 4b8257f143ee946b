// The self-pipe that wakes a display's blocked wait from a signal handler:
// the handler writes one byte, the wait polls the read end and drains it.
#ifndef W32_DISPLAY_WAKEUP_H
#define W32_DISPLAY_WAKEUP_H

#include <string>

#include "kernel/unique_fd.h"

namespace w32::display {

class WakeupPipe {
 public:
  // False with one line of reason when the pipe cannot be made.
  bool Open(const char* owner, std::string* error);

  // The end to poll for POLLIN.
  int fd() const { return read_.get(); }

  // Async-signal-safe: only write(2), errno left as found. A full pipe
  // already holds a pending wake-up, so a failed write loses nothing.
  void Wake();

  // Empties the pipe; true when it held at least one wake-up.
  bool Drain();

 private:
  UniqueFd read_;
  UniqueFd write_;
};

}  // namespace w32::display

#endif  // W32_DISPLAY_WAKEUP_H
