#include "kernel/error.h"

namespace w32 {
namespace {
thread_local std::uint32_t t_lastError = 0;
}

void SetLastErrorCode(std::uint32_t code) { t_lastError = code; }
std::uint32_t LastErrorCode() { return t_lastError; }

}  // namespace w32
