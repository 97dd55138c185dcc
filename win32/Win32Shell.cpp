#include "win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace rd::win32 {

std::intptr_t Win32Shell::Execute(WindowHandle owner, const char* operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int show) {
  const HINSTANCE result = ShellExecuteA(
      reinterpret_cast<HWND>(owner), operation, file.c_str(),
      parameters.empty() ? nullptr : parameters.c_str(),
      directory.empty() ? nullptr : directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::NotifyAssociationsChanged() {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace rd::win32
