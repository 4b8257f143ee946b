#include "kernel/config.h"

#include "kernel/faults.h"

#include <cstdlib>
#include <cctype>

namespace w32 {
namespace {

Config g_config;

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// A whole number of 1 to 5 digits without sign or leading zero; -1 otherwise.
int ParseDimension(const std::string& text) {
  if (text.empty() || text.size() > 5 || text[0] == '0') return -1;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
  return std::stoi(text);
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
    std::string size = screen;
    std::size_t x = size.find('x');
    int width = x == std::string::npos ? -1 : ParseDimension(size.substr(0, x));
    int height = x == std::string::npos ? -1 : ParseDimension(size.substr(x + 1));
    if (width < 1 || height < 1 || width > 16384 || height > 16384) {
      *error = "W32_SCREEN must be WIDTHxHEIGHT, each 1 to 16384, not '" + size + "'";
      return false;
    }
    c.screenWidth = width;
    c.screenHeight = height;
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
    if (!faults::Valid(fail)) {
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
