#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "ports/Ports.h"

namespace rd {

// A value passed to a write, or as a read's default, and delivered by a read: nothing,
// text, a boolean, or a number (whole or fractional).
class SettingValue {
 public:
  enum class Kind { Empty, Text, Boolean, Number };

  SettingValue() = default;
  SettingValue(std::string text) : value_(std::move(text)) {}
  SettingValue(const char* text) : value_(std::string(text)) {}
  SettingValue(std::string_view text) : value_(std::string(text)) {}
  SettingValue(bool flag) : value_(flag) {}
  SettingValue(int number) : value_(static_cast<double>(number)) {}
  SettingValue(double number) : value_(number) {}

  Kind GetKind() const { return static_cast<Kind>(value_.index()); }
  bool IsEmpty() const { return GetKind() == Kind::Empty; }

  // The text form: text unchanged, "" for nothing, "True"/"False", a number's decimal form.
  std::string TextForm(const NumberFormat& numbers = {}) const;
  // The boolean, or nothing when the value cannot be converted.
  std::optional<bool> ToBoolean(const NumberFormat& numbers = {}) const;
  // Rounded half to even; nothing outside -32768..32767 or for text that is not numeric.
  std::optional<std::int16_t> ToInt16(const NumberFormat& numbers = {}) const;
  // The number held, for a Number value.
  std::optional<double> Number() const;

  bool operator==(const SettingValue&) const = default;

 private:
  std::variant<std::monostate, std::string, bool, double> value_;
};

namespace SettingsStore {

enum class RootKind { Registry, File, None };

struct ResolvedRoot {
  RootKind kind = RootKind::None;
  RegKey key = 0;  // the predefined root, for RootKind::Registry
};

// "HKCU", "HKLM", "HKU", "HKDD", "HKCC", "HKCR" (any case), else an existing ordinary
// file used as an INI file, else nothing.
ResolvedRoot ResolveRoot(Ports& ports, const std::string& rootName);

// Status 0 on success, 99 when nothing could be done, else the registry's code. result
// holds the value read, or the default.
std::int32_t ReadValue(Ports& ports, const std::string& rootName, const std::string& keyPath,
                       const std::string& valueName, const std::string& typeLetter,
                       const SettingValue& defaultValue, SettingValue& result);

// Type letters "S" (REG_SZ), "B" (REG_BINARY, FF FF / 00 00), "D" (REG_DWORD from a 16-bit
// integer). A value that cannot be converted stores nothing and answers 13.
std::int32_t WriteValue(Ports& ports, const std::string& rootName, const std::string& keyPath,
                        const std::string& valueName, const std::string& typeLetter,
                        const SettingValue& value);

}  // namespace SettingsStore
}  // namespace rd
