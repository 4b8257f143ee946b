// Failure injection for tests: a chosen platform call, optionally only for a
// chosen first text argument (a value name, a key path), answers an error.
// Set from W32_FAIL ("RegSetValueExA:Group=1016") or by a test directly.
#ifndef W32_KERNEL_FAULTS_H
#define W32_KERNEL_FAULTS_H

#include <cstdint>
#include <string>

namespace w32::faults {

// Parses "Function[:argument][=error]"; false when malformed.
bool Set(const std::string& rule);
// Whether a rule is well formed, without setting it.
bool Valid(const std::string& rule);
void Clear();

// True when the call should fail; *error then holds the code to answer
// (defaultError when the rule named none).
bool Triggered(const char* function, const char* argument, std::uint32_t defaultError,
               std::uint32_t* error);

}  // namespace w32::faults

#endif  // W32_KERNEL_FAULTS_H
