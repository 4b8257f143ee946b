// The thread's last-error value, the one place every area reports errors to.
#ifndef W32_KERNEL_ERROR_H
#define W32_KERNEL_ERROR_H

#include <cstdint>

namespace w32 {

void SetLastErrorCode(std::uint32_t code);
std::uint32_t LastErrorCode();

}  // namespace w32

#endif  // W32_KERNEL_ERROR_H
