#include "settings/SettingsStore.h"

#include <array>
#include <vector>

#include "util/Text.h"

namespace rd::SettingsStore {
namespace {

struct RootEntry {
  std::string_view name;
  RegKey key;
};

// Compared in this order; the first match wins.
constexpr std::array<RootEntry, 6> kRoots{{
    {"HKCU", regroot::CurrentUser},
    {"HKLM", regroot::LocalMachine},
    {"HKU", regroot::Users},
    {"HKDD", regroot::DynData},
    {"HKCC", regroot::CurrentConfig},
    {"HKCR", regroot::ClassesRoot},
}};

constexpr std::int32_t kNothingDone = 99;
constexpr std::uint32_t kIniCapacity = 255;

std::int32_t ReadIni(Ports& ports, const std::string& rootName, const std::string& keyPath,
                     const std::string& valueName, const std::string& letter,
                     const SettingValue& defaultValue, SettingValue& result) {
  if (letter == "S") {
    char buffer[kIniCapacity] = {};
    const std::uint32_t count =
        ports.ini.GetString(keyPath, valueName, defaultValue.TextForm(ports.process.Numbers()),
                            buffer, kIniCapacity, rootName);
    result = SettingValue(std::string(buffer, count < kIniCapacity ? count : kIniCapacity - 1));
  } else {
    // The caller's default does not apply here: a missing entry reads as 0.
    const std::uint32_t number = ports.ini.GetInt(keyPath, valueName, 0, rootName);
    result = SettingValue(static_cast<int>(static_cast<std::int32_t>(number)));
  }
  return winerr::Success;
}

// Reads the value of an open key as the letter says; result is left alone on failure.
std::int32_t QueryTyped(Registry& registry, RegKey key, const std::string& valueName,
                        const std::string& letter, SettingValue& result) {
  if (letter == "S") {
    // A real buffer with no room: the answer is the value's size.
    std::uint8_t probe[1] = {0};
    std::uint32_t size = 0;
    std::int32_t code = registry.QueryValue(key, valueName, nullptr, probe, size);
    std::vector<std::uint8_t> data;
    if (code == winerr::MoreData) {
      data.assign(size, 0);
      code = registry.QueryValue(key, valueName, nullptr, data.data(), size);
    }
    if (code != winerr::Success) return code;
    // The last byte is taken to be the terminator; with no bytes at all the default stays.
    if (size > 0 && size <= data.size()) {
      result = SettingValue(std::string(reinterpret_cast<const char*>(data.data()), size - 1));
    }
    return winerr::Success;
  }
  if (letter == "B") {
    std::uint8_t data[2] = {0, 0};
    std::uint32_t size = sizeof data;
    const std::int32_t code = registry.QueryValue(key, valueName, nullptr, data, size);
    if (code != winerr::Success) return code;
    result = SettingValue((data[0] | data[1]) != 0);
    return winerr::Success;
  }
  if (letter == "D") {
    std::uint8_t data[4] = {0, 0, 0, 0};
    std::uint32_t size = sizeof data;
    const std::int32_t code = registry.QueryValue(key, valueName, nullptr, data, size);
    if (code != winerr::Success) return code;
    const std::uint32_t bits =
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    result = SettingValue(static_cast<int>(static_cast<std::int32_t>(bits)));
    return winerr::Success;
  }
  return winerr::Success;  // an unknown letter reads nothing
}

// Stores the value in an open key as the letter says.
std::int32_t StoreTyped(Ports& ports, RegKey key, const std::string& valueName,
                        const std::string& letter, const SettingValue& value) {
  const NumberFormat numbers = ports.process.Numbers();
  if (letter == "S") {
    const std::string text = value.TextForm(numbers);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return ports.registry.SetValue(key, valueName, regtype::Sz, bytes,
                                   static_cast<std::uint32_t>(text.size() + 1));
  }
  if (letter == "B") {
    const auto flag = value.ToBoolean(numbers);
    if (!flag) return winerr::InvalidData;
    const std::uint8_t fill = *flag ? 0xFF : 0x00;
    const std::uint8_t data[2] = {fill, fill};
    return ports.registry.SetValue(key, valueName, regtype::Binary, data, sizeof data);
  }
  if (letter == "D") {
    const auto number = value.ToInt16(numbers);
    if (!number) return winerr::InvalidData;
    const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(*number));
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    return ports.registry.SetValue(key, valueName, regtype::Dword, data, sizeof data);
  }
  return winerr::Success;  // an unknown letter stores nothing
}

}  // namespace

ResolvedRoot ResolveRoot(Ports& ports, const std::string& rootName) {
  const std::string upper = util::ToUpper(rootName);
  for (const RootEntry& root : kRoots) {
    if (upper == root.name) return {RootKind::Registry, root.key};
  }
  // Any match will do (a short 8.3 name finds the file under its long one); the INI calls
  // are given the root name as it stands, never the name found.
  if (ports.files.FindFile(rootName).status == FindStatus::Found) return {RootKind::File, 0};
  return {};
}

std::int32_t ReadValue(Ports& ports, const std::string& rootName, const std::string& keyPath,
                       const std::string& valueName, const std::string& typeLetter,
                       const SettingValue& defaultValue, SettingValue& result) {
  result = defaultValue;
  const ResolvedRoot root = ResolveRoot(ports, rootName);
  if (root.kind == RootKind::None) return kNothingDone;
  const std::string letter = util::ToUpper(typeLetter);
  if (root.kind == RootKind::File) {
    return ReadIni(ports, rootName, keyPath, valueName, letter, defaultValue, result);
  }

  RegKey key = 0;
  const std::int32_t opened = ports.registry.OpenKey(root.key, keyPath, regaccess::QueryValue, key);
  if (opened != winerr::Success) return opened;
  SettingValue read = defaultValue;
  const std::int32_t code = QueryTyped(ports.registry, key, valueName, letter, read);
  if (code != winerr::Success) {
    ports.registry.CloseKey(key);
    return code;
  }
  result = read;
  return ports.registry.CloseKey(key);
}

std::int32_t WriteValue(Ports& ports, const std::string& rootName, const std::string& keyPath,
                        const std::string& valueName, const std::string& typeLetter,
                        const SettingValue& value) {
  const ResolvedRoot root = ResolveRoot(ports, rootName);
  if (root.kind == RootKind::None) return kNothingDone;
  const std::string letter = util::ToUpper(typeLetter);
  if (root.kind == RootKind::File) {
    if (letter != "S") return kNothingDone;
    // kernel32 reports nothing useful here, so neither does the store.
    ports.ini.WriteString(keyPath, valueName, value.TextForm(ports.process.Numbers()), rootName);
    return winerr::Success;
  }

  RegKey key = 0;
  const std::int32_t created = ports.registry.CreateKey(
      root.key, keyPath, regaccess::SetValue | regaccess::CreateSubKey, key);
  if (created != winerr::Success) return created;
  const std::int32_t stored = StoreTyped(ports, key, valueName, letter, value);
  if (stored != winerr::Success) {
    ports.registry.CloseKey(key);
    return stored;
  }
  return ports.registry.CloseKey(key);
}

}  // namespace rd::SettingsStore
