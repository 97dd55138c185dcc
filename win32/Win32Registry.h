#pragma once
#include "ports/Registry.h"

namespace rd::win32 {

// advapi32's registry, narrow entry points.
class Win32Registry final : public Registry {
 public:
  std::int32_t OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                       RegKey& key) override;
  std::int32_t CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                         RegKey& key) override;
  std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t& size) override;
  std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t CloseKey(RegKey key) override;
};

}  // namespace rd::win32
