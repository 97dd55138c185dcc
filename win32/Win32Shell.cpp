#include "win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "win32/SystemLibrary.h"

namespace rd::win32 {

std::intptr_t Win32Shell::Execute(WindowHandle owner, const char* operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int show) {
  static const auto execute =
      SystemFunction<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  if (!execute) return SE_ERR_DLLNOTFOUND;
  const HINSTANCE result = execute(
      reinterpret_cast<HWND>(owner), operation, file.c_str(),
      parameters.empty() ? nullptr : parameters.c_str(),
      directory.empty() ? nullptr : directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::NotifyAssociationsChanged() {
  static const auto notify =
      SystemFunction<decltype(&SHChangeNotify)>("shell32.dll", "SHChangeNotify");
  if (notify) notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace rd::win32
