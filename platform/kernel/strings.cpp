// ANSI string routines. Like the platform's, a NULL string is answered
// rather than dereferenced: lstrlenA(NULL) is 0, and copying from or to NULL
// returns NULL.
#include <windows.h>

#include <cstring>

#include "kernel/trace.h"

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
  LPSTR result = (dst == nullptr || src == nullptr) ? nullptr : std::strcpy(dst, src);
  if (w32::trace::Enabled())
    w32::trace::Call("lstrcpyA", {dst ? "<buffer>" : "NULL", w32::trace::Str(src)},
                   result ? w32::trace::Str(result) : "NULL");
  return result;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
  LPSTR result = (dst == nullptr || src == nullptr) ? nullptr : std::strcat(dst, src);
  if (w32::trace::Enabled())
    w32::trace::Call("lstrcatA", {dst ? "<buffer>" : "NULL", w32::trace::Str(src)},
                   result ? w32::trace::Str(result) : "NULL");
  return result;
}

int WINAPI lstrlenA(LPCSTR s) {
  int length = s == nullptr ? 0 : static_cast<int>(std::strlen(s));
  if (w32::trace::Enabled()) w32::trace::Call("lstrlenA", {w32::trace::Str(s)}, w32::trace::Num(length));
  return length;
}
