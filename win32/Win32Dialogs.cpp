#include "win32/Win32Dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <vector>

#include "win32/FormWindow.h"
#include "win32/SystemLibrary.h"

namespace rd::win32 {
namespace {

// With the program in the background no window of it is active; a box without an owner
// would leave our windows clickable behind it.
HWND Owner() {
  const HWND active = GetActiveWindow();
  return active ? active : FormWindow::PreferredOwner();
}

}  // namespace

std::string FilterForDialog(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

int Win32Dialogs::ShowMessage(const std::string& text, const std::string& title,
                              unsigned style) {
  return MessageBoxA(Owner(), text.c_str(), title.c_str(), style);
}

OpenResult Win32Dialogs::ShowOpen(const OpenRequest& request) {
  static const auto getOpenFileName =
      SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
  static const auto extendedError =
      SystemFunction<decltype(&CommDlgExtendedError)>("comdlg32.dll", "CommDlgExtendedError");
  OpenResult result;
  if (!getOpenFileName || !extendedError) {
    result.outcome = OpenResult::Outcome::Failed;
    return result;
  }
  // Room for a long path that the user types or picks.
  std::vector<char> file(32 * 1024, '\0');
  std::memcpy(file.data(), request.fileName.data(),
              request.fileName.size() < file.size() - 1 ? request.fileName.size()
                                                        : file.size() - 1);
  const std::string filter = FilterForDialog(request.filter);

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Owner();
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

  if (getOpenFileName(&ofn)) {
    result.outcome = OpenResult::Outcome::Chosen;
    result.path = file.data();
  } else {
    result.outcome = extendedError() == 0 ? OpenResult::Outcome::Cancelled
                                                 : OpenResult::Outcome::Failed;
  }
  return result;
}

}  // namespace rd::win32
