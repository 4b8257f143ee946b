#include "kernel/handles.h"

#include <cstdio>

namespace w32 {

std::string HandleName(std::uintptr_t handle) {
  if (handle == 0) return "NULL";
  switch (static_cast<std::uint32_t>(handle)) {
    case 0x80000000u: return "HKEY_CLASSES_ROOT";
    case 0x80000001u: return "HKEY_CURRENT_USER";
    case 0x80000002u: return "HKEY_LOCAL_MACHINE";
    case 0x80000003u: return "HKEY_USERS";
    default: break;
  }
  const char* kind = nullptr;
  switch (KindOf(handle)) {
    case HandleKind::Window: kind = "hwnd"; break;
    case HandleKind::Key: kind = "key"; break;
    case HandleKind::DC: kind = "hdc"; break;
    case HandleKind::Brush: kind = "brush"; break;
    case HandleKind::Pen: kind = "pen"; break;
    case HandleKind::Font: kind = "font"; break;
    case HandleKind::Cursor: kind = "cursor"; break;
    case HandleKind::Icon: kind = "icon"; break;
    case HandleKind::Instance: kind = "instance"; break;
    case HandleKind::None: break;
  }
  char buf[48];
  if (kind == nullptr || SerialOf(handle) == 0) {
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(handle));
  } else {
    std::snprintf(buf, sizeof buf, "<%s#%llu>", kind,
                  static_cast<unsigned long long>(SerialOf(handle)));
  }
  return buf;
}

}  // namespace w32
