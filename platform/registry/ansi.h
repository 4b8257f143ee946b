// ANSI text as the registry stores it: names and string data arrive in code
// page 1252 and are kept in the hive as Unicode.
#ifndef W32_REGISTRY_ANSI_H
#define W32_REGISTRY_ANSI_H

#include <cstddef>
#include <string>

namespace w32::registry {

// Converts code page 1252 bytes to UTF-16LE (no terminator is added).
// The five bytes the code page leaves undefined map to the Unicode
// characters of the same number, as the platform's own conversion does.
bool AnsiToUtf16(const char* text, std::size_t length, std::string* out);

// Converts code page 1252 bytes to UTF-8, the form hivex takes names in.
bool AnsiToUtf8(const char* text, std::size_t length, std::string* out);

// Whether two UTF-8 names are equal without regard to case.
bool SameName(const std::string& a, const std::string& b);

}  // namespace w32::registry

#endif  // W32_REGISTRY_ANSI_H
