// The bytes of a hive file that hivex cannot make or does not check itself:
// a new empty hive, and the base block of an existing one.
#ifndef W32_REGISTRY_HIVE_IMAGE_H
#define W32_REGISTRY_HIVE_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace w32::registry {

constexpr std::size_t kBaseBlockSize = 0x1000;  // the "regf" header
constexpr std::size_t kHbinSize = 0x1000;       // one page of cells
// Cell offsets are 31-bit, so no hive holds more than 2 GiB of pages.
constexpr std::uint64_t kMaxHiveBytes = kBaseBlockSize + 0x80000000ull;

// A hive holding only its root key, named rootName, with a security
// descriptor that gives administrators and the system full control and
// everyone read access. fileName is recorded in the header.
std::vector<std::uint8_t> NewHiveImage(const std::string& rootName, const std::string& fileName);

// The header checksum: the XOR of the first 127 little-endian words.
std::uint32_t BaseBlockChecksum(const std::uint8_t* block);

enum class BaseBlockState {
  Good,
  Malformed,  // not a hive, truncated, or damaged
  Unclean,    // a write was interrupted: what the log holds would be lost
};

// Checks a base block against the size of the file it came from.
BaseBlockState CheckBaseBlock(const std::uint8_t* block, std::uint64_t fileSize);

}  // namespace w32::registry

#endif  // W32_REGISTRY_HIVE_IMAGE_H
