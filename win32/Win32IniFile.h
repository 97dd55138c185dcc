#pragma once
#include "ports/IniFile.h"

namespace rd::win32 {

// kernel32's private-profile functions.
class Win32IniFile final : public IniFile {
 public:
  std::uint32_t GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultText, char* buffer, std::uint32_t capacity,
                          const std::string& file) override;
  std::uint32_t GetInt(const std::string& section, const std::string& entry,
                       std::int32_t defaultValue, const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& entry, const std::string& text,
                   const std::string& file) override;
};

}  // namespace rd::win32
