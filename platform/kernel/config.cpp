#include "kernel/config.h"

#include <cstdlib>
#include <regex>

namespace w32 {
namespace {

Config g_config;

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string DefaultRoot() {
  if (const char* data = Env("XDG_DATA_HOME")) return std::string(data) + "/w32/root";
  if (const char* home = Env("HOME")) return std::string(home) + "/.local/share/w32/root";
  return "/tmp/w32-root";
}

}  // namespace

bool LoadConfig(Config* config, std::string* error) {
  Config c;
  c.root = DefaultRoot();
  if (const char* root = Env("W32_ROOT")) c.root = root;

  if (const char* platform = Env("W32_PLATFORM")) {
    std::string p = platform;
    if (p == "nt") c.platform = PlatformId::NT;
    else if (p == "windows") c.platform = PlatformId::Windows;
    else if (p == "win32s") c.platform = PlatformId::Win32s;
    else {
      *error = "W32_PLATFORM must be nt, windows or win32s, not '" + p + "'";
      return false;
    }
  }

  if (const char* user = Env("W32_USER")) {
    std::string u = user;
    if (u == "admin") c.admin = true;
    else if (u == "user") c.admin = false;
    else {
      *error = "W32_USER must be admin or user, not '" + u + "'";
      return false;
    }
  }

  if (const char* trace = Env("W32_TRACE")) c.trace = trace;

  if (const char* screen = Env("W32_SCREEN")) {
    static const std::regex kSize("([1-9][0-9]{0,4})x([1-9][0-9]{0,4})");
    std::cmatch m;
    if (!std::regex_match(screen, m, kSize) || std::stoi(m[1]) > 16384 ||
        std::stoi(m[2]) > 16384) {
      *error = std::string("W32_SCREEN must be WIDTHxHEIGHT, each 1 to 16384, not '") +
               screen + "'";
      return false;
    }
    c.screenWidth = std::stoi(m[1]);
    c.screenHeight = std::stoi(m[2]);
  }

  if (const char* shot = Env("W32_SCREENSHOT")) c.screenshot = shot;

  if (const char* display = Env("W32_DISPLAY")) {
    std::string d = display;
    if (d == "headless") c.display = DisplayKind::Headless;
    else if (d == "x11") c.display = DisplayKind::X11;
    else {
      *error = "W32_DISPLAY must be headless or x11, not '" + d + "'";
      return false;
    }
  } else if (Env("DISPLAY") != nullptr) {
    c.display = DisplayKind::X11;
  }

  if (const char* fail = Env("W32_FAIL")) {
    static const std::regex kFail("[A-Za-z]+(:[^=]*)?(=[0-9]+)?");
    if (!std::regex_match(fail, kFail)) {
      *error = std::string("W32_FAIL must be Function[:argument][=error], not '") + fail + "'";
      return false;
    }
    c.fail = fail;
  }

  *config = c;
  return true;
}

const Config& GetConfig() { return g_config; }
void SetConfig(const Config& config) { g_config = config; }

}  // namespace w32
