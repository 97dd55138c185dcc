#include "win32/Win32Registry.h"

#include <windows.h>

namespace rd::win32 {
namespace {

// The predefined roots are 32-bit values that Windows sign-extends into a 64-bit HKEY.
HKEY ToHandle(RegKey key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(key))));
  }
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

RegKey FromHandle(HKEY key) { return static_cast<RegKey>(reinterpret_cast<ULONG_PTR>(key)); }

}  // namespace

std::int32_t Win32Registry::OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                                    RegKey& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHandle(root), path.c_str(), 0, access, &opened);
  if (status == ERROR_SUCCESS) key = FromHandle(opened);
  return status;
}

std::int32_t Win32Registry::CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                                      RegKey& key) {
  SECURITY_ATTRIBUTES security{};
  HKEY created = nullptr;
  DWORD disposition = 0;
  char noClass[] = "";
  const LONG status = RegCreateKeyExA(ToHandle(root), path.c_str(), 0, noClass,
                                      REG_OPTION_NON_VOLATILE, access, &security, &created,
                                      &disposition);
  if (status == ERROR_SUCCESS) key = FromHandle(created);
  return status;
}

std::int32_t Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD bytes = size;
  const LONG status = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &valueType, data,
                                       &bytes);
  if (type) *type = valueType;
  size = bytes;
  return status;
}

std::int32_t Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHandle(key), name.c_str(), 0, type, data, size);
}

std::int32_t Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHandle(key)); }

}  // namespace rd::win32
