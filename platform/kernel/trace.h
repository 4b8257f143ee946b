// The one tracing mechanism: with W32_TRACE set, every platform call the
// program makes leaves one line "Name(arguments) = result", and every
// delivery to a window procedure one line "WndProc(...)".
#ifndef W32_KERNEL_TRACE_H
#define W32_KERNEL_TRACE_H

#include <cstdint>
#include <initializer_list>
#include <string>

namespace w32::trace {

// Opens the trace: "" for none, "-" for standard error, else a file
// (truncated). Answers false when the file cannot be opened.
bool Open(const std::string& target, std::string* error);
void Close();
bool Enabled();

// Writes "function(arg, arg, ...) = result" as one line.
void Call(const char* function, std::initializer_list<std::string> args,
          const std::string& result);
// Writes a line as it stands.
void Line(const std::string& line);

// Formatting of arguments.
std::string Str(const char* text);             // "text" with C escapes, or NULL
std::string Str(const char* text, int length);  // the first length bytes
std::string Num(long long value);
std::string Hex(unsigned long long value);
std::string Handle(const void* handle);         // <hwnd#1>, HKEY_LOCAL_MACHINE, NULL
std::string Bool(int value);

}  // namespace w32::trace

#endif  // W32_KERNEL_TRACE_H
