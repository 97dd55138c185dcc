#pragma once
// Drives the real program from outside, as a user and Windows would: processes, top-level
// windows, controls reached by their ids, message boxes, the registry, console tools, and
// screenshots taken by the host's ImageMagick.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace e2e {

// Generous: these are not timed tests, a wait only fails when something never happens.
inline constexpr int kWaitMs = 30000;

// --- Files ---------------------------------------------------------------------------
inline std::string ParentFolder(const std::string& path) {  // without the trailing backslash
  const auto cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}
inline std::string ExeFolder() {  // the running test program's folder
  char path[MAX_PATH] = {};
  return ParentFolder(std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH)));
}
inline bool MakeFolders(const std::string& path) {  // every missing level
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return !path.empty() && std::filesystem::is_directory(path, ec);
}
inline void DeleteTree(const std::string& path) {  // a file, or a folder with all in it
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}
inline bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return !(out << bytes).flush().fail();
}
inline std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool CopyTo(const std::string& from, const std::string& to) {
  return MakeFolders(ParentFolder(to)) && CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}
inline std::string SampleDemoBytes(std::size_t size, unsigned seed) {  // every byte value
  std::mt19937 gen(seed);
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i < 256 ? i : gen() & 0xFFu);
  return s;
}

// --- Processes and tools ---------------------------------------------------------------
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  ~Process() { Kill(); }  // a failed test must not leave the program running

  // commandLine is passed as it stands; exe is used for lpApplicationName.
  bool Start(const std::string& exe, std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    Kill();
    return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi_) &&
           CloseHandle(pi_.hThread);
  }
  DWORD Pid() const { return pi_.dwProcessId; }
  bool WaitExit(int timeoutMs) {  // true when the process ended within the time
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }
  void Kill() {
    if (pi_.hProcess && TerminateProcess(pi_.hProcess, 1)) WaitForSingleObject(pi_.hProcess, 5000);
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    pi_ = {};
  }

 private:
  PROCESS_INFORMATION pi_{};
};

struct ToolResult {
  bool finished = false;
  std::string output;  // stdout and stderr together
};
// Runs a console tool (cmd, reg) hidden and captures what it prints: into a file rather than
// a pipe, which a program the tool starts (cmd's start) may keep open for as long as it runs.
inline ToolResult RunTool(const std::string& commandLine, int timeoutMs = 60000) {
  ToolResult result;
  char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "rdt", 0, name)) return result;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &sa, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (out != INVALID_HANDLE_VALUE && CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                                    CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    result.finished = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!result.finished) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    result.output.resize(GetFileSize(out, nullptr));
    DWORD got = 0;
    SetFilePointer(out, 0, nullptr, FILE_BEGIN);
    ReadFile(out, result.output.data(), static_cast<DWORD>(result.output.size()), &got, nullptr);
    result.output.resize(got);
  }
  CloseHandle(out);
  return result;
}

// Keys as reg.exe names them: "HKCU\...".
inline std::pair<HKEY, std::string> RegKeyOf(const std::string& key) {
  const std::string root = key.substr(0, key.find('\\'));
  const HKEY h = root == "HKCR"   ? HKEY_CLASSES_ROOT
                 : root == "HKLM" ? HKEY_LOCAL_MACHINE
                                  : HKEY_CURRENT_USER;
  return {h, key.size() > root.size() ? key.substr(root.size() + 1) : ""};
}
// A text value, or "<absent>".
inline std::string RegText(const std::string& key, const std::string& value) {
  const auto [root, path] = RegKeyOf(key);
  DWORD size = 4096;
  std::string data(size, '\0');
  return RegGetValueA(root, path.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, data.data(),
                      &size) == ERROR_SUCCESS
             ? data.c_str()
             : "<absent>";
}
inline bool RegAddString(const std::string& key, const std::string& value,
                         const std::string& data) {
  const auto [root, path] = RegKeyOf(key);
  return RegSetKeyValueA(root, path.c_str(), value.c_str(), REG_SZ, data.c_str(),
                         static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}
inline bool RegDeleteTree(const std::string& key) {  // true also when it was not there
  const auto [root, path] = RegKeyOf(key);
  const LSTATUS status = RegDeleteTreeA(root, path.c_str());
  return (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) &&
         RegDeleteKeyA(root, path.c_str()) != ERROR_ACCESS_DENIED;
}

// --- Windows ---------------------------------------------------------------------------
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(100);
  }
  return true;
}
inline bool Send(HWND window, UINT message, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
  DWORD_PTR r = 0;
  const bool sent = SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, 10000, &r) != 0;
  if (result) *result = static_cast<LRESULT>(r);
  return sent;
}
// Visible top-level windows of the process (pid 0: of any process), of the class when given.
inline std::vector<HWND> TopWindows(DWORD pid, const char* windowClass = nullptr) {
  struct Search {
    DWORD pid;
    const char* windowClass;
    std::vector<HWND> found;
  } search{pid, windowClass, {}};
  EnumWindows(
      [](HWND w, LPARAM p) {
        auto& s = *reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        char name[256] = {};
        GetWindowThreadProcessId(w, &owner);
        GetClassNameA(w, name, sizeof name);
        if ((!s.pid || owner == s.pid) && IsWindowVisible(w) &&
            (!s.windowClass || !lstrcmpA(name, s.windowClass))) {
          s.found.push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}
inline HWND WaitForWindow(DWORD pid, const char* windowClass) {
  std::vector<HWND> found;
  WaitUntil([&] { return !(found = TopWindows(pid, windowClass)).empty(); });
  return found.empty() ? nullptr : found.front();
}
inline bool IsShown(HWND window) {
  return IsWindow(window) && IsWindowVisible(window);
}
inline bool WaitHiddenOrGone(HWND window) {
  return WaitUntil([&] { return !IsShown(window); });
}
inline HWND Control(HWND parent, int id) {
  return parent ? GetDlgItem(parent, id) : nullptr;
}
inline std::string GetText(HWND window) {
  LRESULT length = 0, got = 0;
  if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return {};
  std::string text(length + 1, '\0');
  Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &got);
  return text.substr(0, std::clamp<LRESULT>(got, 0, length));
}
// As typing would: WM_SETTEXT, which makes the edit control report EN_CHANGE.
inline bool SetText(HWND edit, const std::string& text) {
  LRESULT set = 0;
  return edit && Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &set) && set;
}
// As the keyboard would: the text selected, then replaced by the characters (posted WM_CHAR),
// each reported by the control as a change. Waits until the control shows the text.
inline bool TypeText(HWND edit, const std::string& text) {
  if (!edit || !Send(edit, EM_SETSEL, 0, -1)) return false;
  if (text.empty()) PostMessageA(edit, WM_CHAR, VK_BACK, 1);
  for (const char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  return WaitUntil([&] { return GetText(edit) == text; });
}
// As a pick with the mouse: the item selected, then CBN_SELCHANGE told to the parent. The
// wide form: Wine hands an ANSI caller in another process the items' UTF-16 bytes.
inline bool PickCombo(HWND combo, const std::string& item) {
  const std::wstring wide(item.begin(), item.end());
  DWORD_PTR index = 0;
  LRESULT selected = 0;
  return combo &&
         SendMessageTimeoutW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, 10000, &index) &&
         static_cast<LRESULT>(index) >= 0 && Send(combo, CB_SETCURSEL, index, 0, &selected) &&
         selected == static_cast<LRESULT>(index) &&
         Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
              reinterpret_cast<LPARAM>(combo));
}
// BM_CLICK, posted so that a modal window opened by the click does not block the driver.
inline bool Click(HWND button) {
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}
// A press and release of the real mouse over the middle of the window, as the hand makes it.
inline bool MouseClick(HWND window) {
  RECT r{};
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return window && GetWindowRect(window, &r) &&
         SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2) &&
         SendInput(2, input, sizeof(INPUT)) == 2;
}
// Gives the control the keyboard focus as a user's click or Tab would, from a thread of its
// own: the window losing the focus may open a message box and wait for it to be answered.
inline bool MoveFocus(HWND target) {
  const auto focus = [](LPVOID p) -> DWORD {
    const auto target = static_cast<HWND>(p);
    const DWORD thread = GetWindowThreadProcessId(target, nullptr);
    if (!AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) return 1;
    SetFocus(target);
    return !AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  };
  HANDLE t = target ? CreateThread(nullptr, 0, focus, target, 0, nullptr) : nullptr;
  if (t) WaitForSingleObject(t, 2000);
  return t && CloseHandle(t);
}
// Presses a key on the window (posted WM_KEYDOWN/WM_KEYUP), as the keyboard would.
inline bool PostKey(HWND window, WPARAM key) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC))
                      << 16;
  return PostMessageA(window, WM_KEYDOWN, key, 1 | scan) &&
         PostMessageA(window, WM_KEYUP, key, 1 | scan | (LPARAM{3} << 30));
}

// --- Message boxes ---------------------------------------------------------------------
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string text;  // the longest static text: the message, not the icon
};
inline bool PressButton(HWND box, int id) {
  return Click(GetDlgItem(box, id));
}

// --- Screenshots -----------------------------------------------------------------------
// The window's area of the virtual display as a PNG in RD_SCREENSHOT_DIR (else
// /tmp/replaydock-screenshots), taken by the host's import, which Wine starts from a Unix
// path (Z: is the host's root). Answers the host path, or "".
inline std::string SaveScreenshot(HWND window, const std::string& name) {
  RECT r{};
  char folder[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("RD_SCREENSHOT_DIR", folder, MAX_PATH);
  if (!IsWindow(window) || !GetWindowRect(window, &r) || r.right <= r.left) return {};
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(300);  // for the window to finish painting what it has just been given
  const std::string path =
      (n > 0 && n < MAX_PATH ? folder : "/tmp/replaydock-screenshots") + ("/" + name + ".png");
  std::string local = "Z:" + path;
  std::replace(local.begin(), local.end(), '/', '\\');
  DeleteFileA(local.c_str());
  const std::string crop = std::to_string(r.right - r.left) + "x" +
                           std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) + "+" +
                           std::to_string(r.top);
  if (MakeFolders(ParentFolder(local))) {
    RunTool("cmd.exe /c start /wait /unix /usr/bin/import -window root -crop " + crop +
            " +repage " + path);
  }
  return WaitUntil([&] { return FileExists(local); }, 10000) ? path : std::string();
}

}  // namespace e2e
