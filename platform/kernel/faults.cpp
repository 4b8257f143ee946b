#include "kernel/faults.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <strings.h>

namespace w32::faults {
namespace {

struct Fault {
  std::string function;
  std::optional<std::string> argument;
  std::optional<std::uint32_t> error;
};
std::optional<Fault> g_fault;

bool Parse(const std::string& rule, Fault* out) {
  Fault f;
  std::string rest = rule;
  std::size_t eq = rest.find('=');
  if (eq != std::string::npos) {
    std::string code = rest.substr(eq + 1);
    if (code.empty() || code.find_first_not_of("0123456789") != std::string::npos) return false;
    f.error = static_cast<std::uint32_t>(std::strtoul(code.c_str(), nullptr, 10));
    rest = rest.substr(0, eq);
  }
  std::size_t colon = rest.find(':');
  if (colon != std::string::npos) {
    f.argument = rest.substr(colon + 1);
    rest = rest.substr(0, colon);
  }
  if (rest.empty()) return false;
  for (char c : rest)
    if (!std::isalpha(static_cast<unsigned char>(c))) return false;
  f.function = rest;
  *out = f;
  return true;
}

}  // namespace

bool Valid(const std::string& rule) {
  Fault f;
  return Parse(rule, &f);
}

bool Set(const std::string& rule) {
  Fault f;
  if (!Parse(rule, &f)) return false;
  g_fault = f;
  return true;
}

void Clear() { g_fault.reset(); }

bool Triggered(const char* function, const char* argument, std::uint32_t defaultError,
               std::uint32_t* error) {
  if (!g_fault || g_fault->function != function) return false;
  if (g_fault->argument) {
    // Registry names compare without regard to case, and so does this.
    if (argument == nullptr || strcasecmp(g_fault->argument->c_str(), argument) != 0)
      return false;
  }
  *error = g_fault->error.value_or(defaultError);
  return true;
}

}  // namespace w32::faults
