#include "win32/Win32Dialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

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

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(n - 1));
  return narrow;
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

FolderResult Win32Dialogs::ShowFolder(const std::string& title) {
  // The shell and OLE only when the picker is first wanted: the program's start does not pay
  // for them. The picker's newer look needs OLE on this thread.
  using InitFn = HRESULT(WINAPI*)(LPVOID);
  using FreeFn = void(WINAPI*)(LPVOID);
  using PathExFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, int);
  static const auto initialize = SystemFunction<InitFn>("ole32.dll", "OleInitialize");
  static const auto release = SystemFunction<FreeFn>("ole32.dll", "CoTaskMemFree");
  static const auto browse =
      SystemFunction<decltype(&SHBrowseForFolderW)>("shell32.dll", "SHBrowseForFolderW");
  static const auto pathOf =
      SystemFunction<decltype(&SHGetPathFromIDListW)>("shell32.dll", "SHGetPathFromIDListW");
  static const auto longPathOf = SystemFunction<PathExFn>("shell32.dll", "SHGetPathFromIDListEx");
  static const bool ole = initialize && SUCCEEDED(initialize(nullptr));
  FolderResult result;
  if (!release || !browse || !pathOf) {
    result.outcome = FolderResult::Outcome::Failed;
    return result;
  }
  const std::wstring caption = Wide(title);
  BROWSEINFOW info{};
  info.hwndOwner = Owner();
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | (ole ? BIF_NEWDIALOGSTYLE : 0);
  PIDLIST_ABSOLUTE chosen = browse(&info);
  if (!chosen) return result;  // cancelled
  std::vector<wchar_t> path(32 * 1024, L'\0');
  const BOOL named = longPathOf ? longPathOf(chosen, path.data(), static_cast<DWORD>(path.size()), 0)
                                : pathOf(chosen, path.data());
  release(chosen);
  if (named && path[0] != L'\0') {
    result.outcome = FolderResult::Outcome::Chosen;
    result.path = Narrow(path.data());
  } else {
    result.outcome = FolderResult::Outcome::Failed;
  }
  return result;
}

}  // namespace rd::win32
