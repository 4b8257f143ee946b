// The process entry: bring the platform up, call WinMain once as the
// platform's start-up does, and end with its result as the exit status.
#include <windows.h>

#include <cstdio>
#include <string>

#include "kernel/handles.h"
#include "kernel/startup/lifecycle.h"

namespace {

// The command line after the program's own name, arguments joined by
// spaces, each one with a space in it quoted.
std::string CommandTail(int argc, char** argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (!tail.empty()) tail += ' ';
    std::string arg = argv[i];
    if (arg.find_first_of(" \t") != std::string::npos) arg = '"' + arg + '"';
    tail += arg;
  }
  return tail;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!w32::StartPlatform(&error)) {
    std::fprintf(stderr, "%s: %s\n", argc > 0 ? argv[0] : "setup", error.c_str());
    return 2;
  }

  std::string commandLine = CommandTail(argc, argv);
  HINSTANCE instance = w32::ToHandle<HINSTANCE>(w32::MakeHandle(w32::HandleKind::Instance, 1));
  int status = WinMain(instance, nullptr, commandLine.data(), SW_SHOWDEFAULT);

  w32::StopPlatform();
  return status;
}
