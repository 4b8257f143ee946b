#include "kernel/startup/lifecycle.h"

#include <csignal>

#include "display/display.h"
#include "gdi/gdi.h"
#include "kernel/config.h"
#include "kernel/faults.h"
#include "kernel/trace.h"
#include "registry/registry.h"
#include "user/user.h"

namespace w32 {
namespace {

bool g_started = false;

// SIGINT and SIGTERM are the user closing the window: the display's wait is
// woken and the window manager turns the wake-up into WM_CLOSE.
void OnCloseSignal(int) { display::Interrupt(); }

void InstallSignalHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnCloseSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace

bool StartPlatform(std::string* error) {
  StopPlatform();
  Config config;
  if (!LoadConfig(&config, error)) return false;
  SetConfig(config);
  faults::Clear();
  if (!config.fail.empty() && !faults::Set(config.fail)) {
    *error = "W32_FAIL is malformed: '" + config.fail + "'";
    return false;
  }
  if (!trace::Open(config.trace, error)) return false;
  if (!display::Open(config, error)) {
    trace::Close();
    return false;
  }
  InstallSignalHandlers();
  g_started = true;
  return true;
}

void StopPlatform() {
  if (!g_started) return;
  g_started = false;
  registry::CloseAll();
  user::Reset();
  gdi::Reset();
  display::Close();
  trace::Close();
}

}  // namespace w32
