// Opaque handles. A handle's value carries its kind and a serial number that
// is never reused, so a stale handle or one of another kind is simply not
// found: the caller gets the platform's error, never a dangling pointer.
#ifndef W32_KERNEL_HANDLES_H
#define W32_KERNEL_HANDLES_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace w32 {

enum class HandleKind : std::uint8_t {
  None = 0,
  Window = 1,
  Key = 2,
  DC = 3,
  Brush = 4,
  Pen = 5,
  Font = 6,
  Cursor = 7,
  Icon = 8,
  Instance = 9,
};

constexpr int kHandleKindShift = 40;

constexpr std::uintptr_t MakeHandle(HandleKind kind, std::uint64_t serial) {
  return (static_cast<std::uintptr_t>(kind) << kHandleKindShift) | serial;
}
constexpr HandleKind KindOf(std::uintptr_t handle) {
  return static_cast<HandleKind>(handle >> kHandleKindShift);
}
constexpr std::uint64_t SerialOf(std::uintptr_t handle) {
  return handle & ((std::uint64_t{1} << kHandleKindShift) - 1);
}

inline std::uintptr_t HandleValue(const void* handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}
template <class H>
inline H ToHandle(std::uintptr_t value) {
  return reinterpret_cast<H>(value);
}

// "<hwnd#1>", "<key#2>", "NULL", or the raw value for a foreign one.
std::string HandleName(std::uintptr_t handle);

// Owns the objects behind the handles of one kind.
template <class T>
class HandleTable {
 public:
  explicit HandleTable(HandleKind kind) : kind_(kind) {}

  std::uintptr_t Add(std::unique_ptr<T> object) {
    std::uintptr_t handle = MakeHandle(kind_, next_++);
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  // The object behind a live handle of this table's kind, else nullptr.
  T* Find(std::uintptr_t handle) const {
    if (KindOf(handle) != kind_) return nullptr;
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
  }
  template <class H>
  T* Find(H* handle) const {
    return Find(HandleValue(handle));
  }

  std::unique_ptr<T> Remove(std::uintptr_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  std::size_t size() const { return objects_.size(); }
  // Drops every object and starts the numbering again (a platform restart).
  void Clear() {
    objects_.clear();
    next_ = 1;
  }

  // Objects in the order their handles were made.
  const std::map<std::uintptr_t, std::unique_ptr<T>>& objects() const { return objects_; }

 private:
  HandleKind kind_;
  std::uint64_t next_ = 1;
  std::map<std::uintptr_t, std::unique_ptr<T>> objects_;
};

}  // namespace w32

#endif  // W32_KERNEL_HANDLES_H
