#include "win32/Win32IniFile.h"

#include <windows.h>

namespace rd::win32 {

std::uint32_t Win32IniFile::GetString(const std::string& section, const std::string& entry,
                                      const std::string& defaultText, char* buffer,
                                      std::uint32_t capacity, const std::string& file) {
  return GetPrivateProfileStringA(section.c_str(), entry.c_str(), defaultText.c_str(), buffer,
                                  capacity, file.c_str());
}

std::uint32_t Win32IniFile::GetInt(const std::string& section, const std::string& entry,
                                   std::int32_t defaultValue, const std::string& file) {
  return GetPrivateProfileIntA(section.c_str(), entry.c_str(), defaultValue, file.c_str());
}

bool Win32IniFile::WriteString(const std::string& section, const std::string& entry,
                               const std::string& text, const std::string& file) {
  return WritePrivateProfileStringA(section.c_str(), entry.c_str(), text.c_str(), file.c_str()) !=
         FALSE;
}

}  // namespace rd::win32
