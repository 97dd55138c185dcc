#pragma once
#include <cstdint>
#include <string>

namespace rd {

// kernel32's private-profile functions.
class IniFile {
 public:
  virtual ~IniFile() = default;

  // Copies the entry's text (or the default when the entry is missing) into buffer, cut to
  // capacity - 1 characters and terminated; answers the number of characters copied.
  virtual std::uint32_t GetString(const std::string& section, const std::string& entry,
                                  const std::string& defaultText, char* buffer,
                                  std::uint32_t capacity, const std::string& file) = 0;
  // The entry read as a number: its leading digits, the default when it is missing,
  // 0 when it does not start with a number.
  virtual std::uint32_t GetInt(const std::string& section, const std::string& entry,
                               std::int32_t defaultValue, const std::string& file) = 0;
  // Creates the section and the entry when missing.
  virtual bool WriteString(const std::string& section, const std::string& entry,
                           const std::string& text, const std::string& file) = 0;
};

}  // namespace rd
