#pragma once
#include <cstdint>
#include <string>

namespace rd {

// An open registry key. The predefined roots carry Windows' own handle values.
using RegKey = std::uint64_t;

namespace regroot {
inline constexpr RegKey ClassesRoot = 0x80000000;
inline constexpr RegKey CurrentUser = 0x80000001;
inline constexpr RegKey LocalMachine = 0x80000002;
inline constexpr RegKey Users = 0x80000003;
inline constexpr RegKey CurrentConfig = 0x80000005;
inline constexpr RegKey DynData = 0x80000006;
}  // namespace regroot

namespace regtype {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;
}  // namespace regtype

namespace regaccess {
inline constexpr std::uint32_t QueryValue = 0x0001;
inline constexpr std::uint32_t SetValue = 0x0002;
inline constexpr std::uint32_t CreateSubKey = 0x0004;
inline constexpr std::uint32_t EnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t Notify = 0x0010;
inline constexpr std::uint32_t CreateLink = 0x0020;
inline constexpr std::uint32_t AllSpecific = 0x003F;
// Which view of HKLM\SOFTWARE a 64-bit process reads: 32-bit programs' keys live under
// WOW6432Node in the 64-bit view.
inline constexpr std::uint32_t View64 = 0x0100;
inline constexpr std::uint32_t View32 = 0x0200;
}  // namespace regaccess

// The registry as advapi32 offers it (narrow entry points). Every call answers a
// Windows status code: 0, 2 (no such key or value), 5 (access denied), 234 (more data) ...
class Registry {
 public:
  virtual ~Registry() = default;

  virtual std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                               RegKey& key) = 0;
  // Creates the key and every missing key above it (non-volatile, class "").
  virtual std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                                 RegKey& key) = 0;
  // data is always a real buffer; size is its capacity on the way in and the value's size
  // on the way out. A capacity smaller than the value answers 234 with the size needed,
  // a capacity of 0 included. type may be null.
  virtual std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t& size) = 0;
  virtual std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) = 0;
  virtual std::int32_t CloseKey(RegKey key) = 0;
};

}  // namespace rd
