#include "registry/hive_image.h"

#include <cstring>
#include <ctime>

namespace w32::registry {
namespace {

// Base block fields.
constexpr std::size_t kSequence1 = 0x04, kSequence2 = 0x08, kTimestamp = 0x0C;
constexpr std::size_t kMajor = 0x14, kMinor = 0x18, kFileType = 0x1C, kFormat = 0x20;
constexpr std::size_t kRootCell = 0x24, kHbinsSize = 0x28, kClustering = 0x2C;
constexpr std::size_t kFileName = 0x30, kFileNameBytes = 64, kChecksum = 0x1FC;

// Cell flags of a key node.
constexpr std::uint16_t kKeyHiveEntry = 0x0004, kKeyNoDelete = 0x0008, kKeyCompName = 0x0020;
constexpr std::uint32_t kNoCell = 0xFFFFFFFF;

// Access masks and security descriptor bits, as the platform numbers them.
constexpr std::uint32_t kKeyAllAccess = 0x000F003F, kKeyRead = 0x00020019;
constexpr std::uint16_t kSeDaclPresent = 0x0004, kSeSelfRelative = 0x8000;
constexpr std::uint8_t kAccessAllowedAce = 0, kContainerInheritAce = 0x02;

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>* bytes) : bytes_(bytes) {}
  void U8(std::size_t at, std::uint8_t v) { (*bytes_)[at] = v; }
  void U16(std::size_t at, std::uint16_t v) {
    for (int i = 0; i < 2; ++i) (*bytes_)[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void U32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) (*bytes_)[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void U64(std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) (*bytes_)[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void Bytes(std::size_t at, const void* data, std::size_t n) {
    std::memcpy(bytes_->data() + at, data, n);
  }

 private:
  std::vector<std::uint8_t>* bytes_;
};

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Now as a FILETIME: 100 ns units since 1601-01-01.
std::uint64_t FileTimeNow() {
  constexpr std::uint64_t kEpochDelta = 11644473600ull;  // seconds from 1601 to 1970
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  return (static_cast<std::uint64_t>(ts.tv_sec) + kEpochDelta) * 10000000ull +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

// A SID S-1-<authority>-<sub>...
std::vector<std::uint8_t> Sid(std::uint8_t authority, std::initializer_list<std::uint32_t> subs) {
  std::vector<std::uint8_t> sid(8 + 4 * subs.size(), 0);
  sid[0] = 1;  // revision
  sid[1] = static_cast<std::uint8_t>(subs.size());
  sid[7] = authority;  // 48-bit big-endian identifier authority
  std::size_t at = 8;
  for (std::uint32_t s : subs) {
    for (int i = 0; i < 4; ++i) sid[at + i] = static_cast<std::uint8_t>(s >> (8 * i));
    at += 4;
  }
  return sid;
}

// A self-relative security descriptor: owner Administrators, group SYSTEM,
// and a DACL that subkeys inherit.
std::vector<std::uint8_t> SecurityDescriptor() {
  const std::vector<std::uint8_t> admins = Sid(5, {32, 544});
  const std::vector<std::uint8_t> system = Sid(5, {18});
  const std::vector<std::uint8_t> everyone = Sid(1, {0});
  struct Ace {
    const std::vector<std::uint8_t>* sid;
    std::uint32_t mask;
  };
  const Ace aces[] = {{&admins, kKeyAllAccess}, {&system, kKeyAllAccess}, {&everyone, kKeyRead}};

  std::vector<std::uint8_t> acl(8, 0);
  for (const Ace& a : aces) {
    std::vector<std::uint8_t> ace(8, 0);
    ace[0] = kAccessAllowedAce;
    ace[1] = kContainerInheritAce;
    std::uint16_t size = static_cast<std::uint16_t>(8 + a.sid->size());
    ace[2] = static_cast<std::uint8_t>(size);
    ace[3] = static_cast<std::uint8_t>(size >> 8);
    for (int i = 0; i < 4; ++i) ace[4 + i] = static_cast<std::uint8_t>(a.mask >> (8 * i));
    ace.insert(ace.end(), a.sid->begin(), a.sid->end());
    acl.insert(acl.end(), ace.begin(), ace.end());
  }
  acl[0] = 2;  // ACL revision
  acl[2] = static_cast<std::uint8_t>(acl.size());
  acl[3] = static_cast<std::uint8_t>(acl.size() >> 8);
  acl[4] = static_cast<std::uint8_t>(sizeof aces / sizeof aces[0]);

  constexpr std::size_t kHeader = 20;
  std::vector<std::uint8_t> sd(kHeader, 0);
  Writer w(&sd);
  sd[0] = 1;  // revision
  w.U16(2, kSeDaclPresent | kSeSelfRelative);
  const std::uint32_t owner = kHeader;
  const std::uint32_t group = owner + static_cast<std::uint32_t>(admins.size());
  const std::uint32_t dacl = group + static_cast<std::uint32_t>(system.size());
  w.U32(4, owner);
  w.U32(8, group);
  w.U32(12, 0);  // no SACL
  w.U32(16, dacl);
  sd.insert(sd.end(), admins.begin(), admins.end());
  sd.insert(sd.end(), system.begin(), system.end());
  sd.insert(sd.end(), acl.begin(), acl.end());
  return sd;
}

std::size_t Align8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

}  // namespace

std::uint32_t BaseBlockChecksum(const std::uint8_t* block) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < kChecksum; at += 4) sum ^= ReadU32(block + at);
  // The two values the platform reserves are never stored.
  if (sum == 0xFFFFFFFF) sum = 0xFFFFFFFE;
  if (sum == 0) sum = 1;
  return sum;
}

std::vector<std::uint8_t> NewHiveImage(const std::string& rootName, const std::string& fileName) {
  std::vector<std::uint8_t> image(kBaseBlockSize + kHbinSize, 0);
  Writer w(&image);
  const std::uint64_t now = FileTimeNow();

  // Cells follow the hbin's 32-byte header; each starts with its size,
  // negative while allocated, and is a multiple of 8 bytes long.
  constexpr std::size_t kHbinHeader = 0x20;
  constexpr std::size_t kNkFixed = 0x4C;
  const std::size_t rootCell = kHbinHeader;
  const std::size_t rootCellSize = Align8(4 + kNkFixed + rootName.size());
  const std::vector<std::uint8_t> sd = SecurityDescriptor();
  const std::size_t skCell = rootCell + rootCellSize;
  const std::size_t skCellSize = Align8(4 + 0x14 + sd.size());
  const std::size_t freeCell = skCell + skCellSize;

  // Base block.
  w.Bytes(0, "regf", 4);
  w.U32(kSequence1, 1);
  w.U32(kSequence2, 1);
  w.U64(kTimestamp, now);
  w.U32(kMajor, 1);
  w.U32(kMinor, 3);
  w.U32(kFileType, 0);  // primary file
  w.U32(kFormat, 1);    // direct memory load
  w.U32(kRootCell, static_cast<std::uint32_t>(rootCell));
  w.U32(kHbinsSize, static_cast<std::uint32_t>(kHbinSize));
  w.U32(kClustering, 1);
  for (std::size_t i = 0; i < fileName.size() && 2 * i + 2 <= kFileNameBytes - 2; ++i)
    w.U16(kFileName + 2 * i, static_cast<unsigned char>(fileName[i]));
  w.U32(kChecksum, BaseBlockChecksum(image.data()));

  // The one hbin.
  const std::size_t hbin = kBaseBlockSize;
  w.Bytes(hbin, "hbin", 4);
  w.U32(hbin + 0x04, 0);  // its offset from the first hbin
  w.U32(hbin + 0x08, static_cast<std::uint32_t>(kHbinSize));
  w.U64(hbin + 0x14, now);

  // Root key node.
  const std::size_t nk = hbin + rootCell;
  w.U32(nk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(rootCellSize)));
  w.Bytes(nk + 0x04, "nk", 2);
  w.U16(nk + 0x06, kKeyHiveEntry | kKeyNoDelete | kKeyCompName);
  w.U64(nk + 0x08, now);
  w.U32(nk + 0x14, kNoCell);  // parent: none for the root
  w.U32(nk + 0x18, 0);        // subkeys
  w.U32(nk + 0x1C, 0);        // volatile subkeys
  w.U32(nk + 0x20, kNoCell);  // subkey list
  w.U32(nk + 0x24, kNoCell);  // volatile subkey list
  w.U32(nk + 0x28, 0);        // values
  w.U32(nk + 0x2C, kNoCell);  // value list
  w.U32(nk + 0x30, static_cast<std::uint32_t>(skCell));
  w.U32(nk + 0x34, kNoCell);  // class name
  w.U16(nk + 0x4C, static_cast<std::uint16_t>(rootName.size()));
  w.U16(nk + 0x4E, 0);  // class name length
  w.Bytes(nk + 0x50, rootName.data(), rootName.size());

  // Security cell: one descriptor in a list of one, used by the root.
  const std::size_t sk = hbin + skCell;
  w.U32(sk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(skCellSize)));
  w.Bytes(sk + 0x04, "sk", 2);
  w.U32(sk + 0x08, static_cast<std::uint32_t>(skCell));  // next in list
  w.U32(sk + 0x0C, static_cast<std::uint32_t>(skCell));  // previous in list
  w.U32(sk + 0x10, 1);                                   // reference count
  w.U32(sk + 0x14, static_cast<std::uint32_t>(sd.size()));
  w.Bytes(sk + 0x18, sd.data(), sd.size());

  // The rest of the hbin is one free cell.
  w.U32(hbin + freeCell, static_cast<std::uint32_t>(kHbinSize - freeCell));
  return image;
}

BaseBlockState CheckBaseBlock(const std::uint8_t* block, std::uint64_t fileSize) {
  if (fileSize < kBaseBlockSize + kHbinSize || fileSize > kMaxHiveBytes)
    return BaseBlockState::Malformed;
  if (std::memcmp(block, "regf", 4) != 0) return BaseBlockState::Malformed;
  if (ReadU32(block + kChecksum) != BaseBlockChecksum(block)) return BaseBlockState::Malformed;
  if (ReadU32(block + kMajor) != 1 || ReadU32(block + kFileType) != 0 ||
      ReadU32(block + kFormat) != 1)
    return BaseBlockState::Malformed;
  const std::uint32_t hbins = ReadU32(block + kHbinsSize);
  if (hbins == 0 || hbins % kHbinSize != 0 || kBaseBlockSize + std::uint64_t{hbins} > fileSize)
    return BaseBlockState::Malformed;
  if (ReadU32(block + kRootCell) >= hbins) return BaseBlockState::Malformed;
  if (ReadU32(block + kSequence1) != ReadU32(block + kSequence2)) return BaseBlockState::Unclean;
  return BaseBlockState::Good;
}

}  // namespace w32::registry
