// System cursors. Each system cursor has one stable handle; the program has
// no cursor resources of its own.
#include <windows.h>

#include "display/display.h"
#include "kernel/error.h"
#include "kernel/trace.h"
#include "user/window_state.h"

namespace w32::user {
namespace {

constexpr DWORD kErrorInvalidCursorHandle = 1402;

// The platform's system cursor identifiers, IDC_ARROW (32512) to IDC_HELP (32651).
bool IsSystemCursorId(ULONG_PTR id) {
  switch (id) {
    case 32512: case 32513: case 32514: case 32515: case 32516: case 32640: case 32641:
    case 32642: case 32643: case 32644: case 32645: case 32646: case 32648: case 32649:
    case 32650: case 32651:
      return true;
    default:
      return false;
  }
}

HCURSOR SystemCursor(ULONG_PTR id) { return ToHandle<HCURSOR>(MakeHandle(HandleKind::Cursor, id)); }

}  // namespace

HCURSOR CurrentCursor() { return State().cursor; }

}  // namespace w32::user

using namespace w32;
using namespace w32::user;

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  HCURSOR cursor = nullptr;
  if (instance == nullptr && IsSystemCursorId(id)) {
    cursor = SystemCursor(id);
  } else {
    SetLastErrorCode(ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  if (trace::Enabled()) {
    std::string arg;
    if (id == 32512) arg = "IDC_ARROW";
    else if (id == 32514) arg = "IDC_WAIT";
    else if (id < 0x10000) arg = "MAKEINTRESOURCE(" + std::to_string(id) + ")";
    else arg = trace::Str(name);
    trace::Call("LoadCursorA", {trace::Handle(instance), arg}, trace::Handle(cursor));
  }
  return cursor;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  HCURSOR previous = CurrentCursor();
  ULONG_PTR value = HandleValue(cursor);
  if (cursor != nullptr &&
      (KindOf(value) != HandleKind::Cursor || !IsSystemCursorId(SerialOf(value)))) {
    SetLastErrorCode(kErrorInvalidCursorHandle);
    previous = nullptr;
  } else {
    State().cursor = cursor;
    display::SetCursorShape(cursor ? static_cast<int>(SerialOf(value)) : 0);
  }
  if (trace::Enabled()) trace::Call("SetCursor", {trace::Handle(cursor)}, trace::Handle(previous));
  return previous;
}
