// Bringing the platform up before WinMain and down after it.
#ifndef W32_KERNEL_STARTUP_LIFECYCLE_H
#define W32_KERNEL_STARTUP_LIFECYCLE_H

#include <string>

namespace w32 {

// Reads the configuration and opens the trace and the display. False with
// one line of reason when the configuration is malformed or the display
// cannot be had; the program must not start then.
bool StartPlatform(std::string* error);

// Commits registry keys left open, writes the screenshot, closes the
// display and the trace. Safe to call more than once.
void StopPlatform();

}  // namespace w32

#endif  // W32_KERNEL_STARTUP_LIFECYCLE_H
