#include "kernel/trace.h"

#include <cstdio>
#include <memory>

#include "kernel/handles.h"

namespace w32::trace {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr && f != stderr) std::fclose(f);
  }
};
std::unique_ptr<std::FILE, FileCloser> g_out;

}  // namespace

bool Open(const std::string& target, std::string* error) {
  Close();
  if (target.empty()) return true;
  if (target == "-") {
    g_out.reset(stderr);
    return true;
  }
  std::FILE* f = std::fopen(target.c_str(), "w");
  if (f == nullptr) {
    *error = "W32_TRACE: cannot open '" + target + "' for writing";
    return false;
  }
  g_out.reset(f);
  return true;
}

void Close() { g_out.reset(); }

bool Enabled() { return g_out != nullptr; }

void Line(const std::string& line) {
  if (!g_out) return;
  std::fputs(line.c_str(), g_out.get());
  std::fputc('\n', g_out.get());
  std::fflush(g_out.get());
}

void Call(const char* function, std::initializer_list<std::string> args,
          const std::string& result) {
  if (!g_out) return;
  std::string line = function;
  line += '(';
  bool first = true;
  for (const std::string& a : args) {
    if (!first) line += ", ";
    line += a;
    first = false;
  }
  line += ") = ";
  line += result;
  Line(line);
}

std::string Str(const char* text, int length) {
  if (text == nullptr) return "NULL";
  std::string out = "\"";
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

std::string Str(const char* text) {
  if (text == nullptr) return "NULL";
  int length = 0;
  while (text[length] != '\0') ++length;
  return Str(text, length);
}

std::string Num(long long value) { return std::to_string(value); }

std::string Hex(unsigned long long value) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llx", value);
  return buf;
}

std::string Handle(const void* handle) { return HandleName(HandleValue(handle)); }

std::string Bool(int value) { return value ? "TRUE" : "FALSE"; }

}  // namespace w32::trace
