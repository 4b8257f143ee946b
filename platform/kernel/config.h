// The platform's configuration, read once from the environment at start.
#ifndef W32_KERNEL_CONFIG_H
#define W32_KERNEL_CONFIG_H

#include <string>

namespace w32 {

enum class PlatformId { Win32s = 0, Windows = 1, NT = 2 };
enum class DisplayKind { Headless, X11 };

struct Config {
  std::string root;        // W32_ROOT: the system root folder (holds System32/config)
  PlatformId platform = PlatformId::NT;  // W32_PLATFORM
  bool admin = true;       // W32_USER
  std::string trace;       // W32_TRACE: a file, "-" for standard error, empty for none
  int screenWidth = 1024;  // W32_SCREEN
  int screenHeight = 768;
  std::string screenshot;  // W32_SCREENSHOT: a PNG file, empty for none
  DisplayKind display = DisplayKind::Headless;  // W32_DISPLAY, or DISPLAY when unset
  std::string fail;        // W32_FAIL: "Function[:argument][=error]", for tests
};

// Reads the configuration from the environment. On a malformed value answers
// false with one line saying which variable is wrong and why.
bool LoadConfig(Config* config, std::string* error);

// The configuration in force; set by StartPlatform.
const Config& GetConfig();
void SetConfig(const Config& config);

}  // namespace w32

#endif  // W32_KERNEL_CONFIG_H
