#include "tests/e2e/Driver.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>

#include "tests/e2e/Png.h"

namespace e2e {
namespace {

constexpr UINT kSendTimeoutMs = 10000;

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

bool Send(HWND window, UINT message, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
  DWORD_PTR r = 0;
  const LRESULT ok = SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, kSendTimeoutMs, &r);
  if (result) *result = static_cast<LRESULT>(r);
  return ok != 0;
}

bool RegSucceeds(const std::string& arguments) {
  const ToolResult r = RunTool("reg.exe " + arguments);
  return r.finished && r.exitCode == 0;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The longest static text of a message box: its message, not its icon.
std::string MessageBoxText(HWND box) {
  std::string best;
  for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c; c = FindWindowExA(box, c, "Static", nullptr)) {
    const std::string t = GetText(c);
    if (t.size() > best.size()) best = t;
  }
  return best;
}

}  // namespace

// --- Files ---------------------------------------------------------------------------

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ParentFolder(std::string(path, n));
}

std::string ParentFolder(const std::string& path) {
  const auto pos = path.find_last_of('\\');
  return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool MakeFolders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool DeleteTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return !ec;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CopyTo(const std::string& from, const std::string& to) {
  return MakeFolders(ParentFolder(to)) && CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string SampleDemoBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i < 256 ? i : gen() & 0xFFu);
  return s;
}

std::string HostPath(const std::string& windowsPath) {
  using Fn = char*(__cdecl*)(const wchar_t*);
  HMODULE k32 = GetModuleHandleA("kernel32.dll");
  auto fn = k32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k32, "wine_get_unix_file_name")))
                : nullptr;
  std::wstring wide(windowsPath.size() + 1, L'\0');
  if (!fn || MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), static_cast<int>(wide.size())) <= 0)
    return windowsPath;
  char* unix = fn(wide.c_str());
  if (!unix) return windowsPath;
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// --- Processes and tools ---------------------------------------------------------------

bool Process::Start(const std::string& exe, const std::string& commandLine) {
  Kill();
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  handle_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool Process::Attach(DWORD pid) {
  Kill();
  handle_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  pid_ = handle_ ? pid : 0;
  return handle_ != nullptr;
}

bool Process::WaitExit(int timeoutMs, DWORD* code) {
  if (!handle_ || WaitForSingleObject(handle_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  DWORD c = 0;
  GetExitCodeProcess(handle_, &c);
  if (code) *code = c;
  return true;
}

void Process::Kill() {
  if (!handle_) return;
  if (TerminateProcess(handle_, 1)) WaitForSingleObject(handle_, 5000);  // fails once it has ended
  CloseHandle(handle_);
  handle_ = nullptr;
  pid_ = 0;
}

ToolResult RunTool(const std::string& commandLine, int timeoutMs) {
  ToolResult result;
  // Output to a file rather than a pipe: a program the tool starts (cmd's start) may inherit
  // the handle and keep it open for as long as it runs.
  char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "rdt", 0, name)) return result;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    DeleteFileA(name);
    return result;
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    result.finished = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    if (!result.finished) TerminateProcess(pi.hProcess, 1);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hProcess);
    result.output.resize(GetFileSize(out, nullptr));
    DWORD got = 0;
    SetFilePointer(out, 0, nullptr, FILE_BEGIN);
    ReadFile(out, result.output.data(), static_cast<DWORD>(result.output.size()), &got, nullptr);
    result.output.resize(got);
  }
  CloseHandle(out);
  return result;
}

std::optional<RegValue> RegQuery(const std::string& key, const std::string& value) {
  const ToolResult r = RunTool("reg.exe query " + Quote(key) + (value.empty() ? " /ve" : " /v " + Quote(value)));
  if (!r.finished || r.exitCode != 0) return std::nullopt;
  // An indented "name    REG_TYPE    data"; the data may hold blanks of its own.
  const std::string lead = (value.empty() ? std::string("(Default)") : value) + "    ";
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos || first == 0 || line.compare(first, lead.size(), lead) != 0) continue;
    const std::string rest = line.substr(first + lead.size());
    const auto sep = rest.find("    ");
    RegValue v{rest.substr(0, sep), sep == std::string::npos ? std::string() : rest.substr(sep + 4)};
    if (v.type.rfind("REG_", 0) == 0) return v;
  }
  return std::nullopt;
}

bool RegAddString(const std::string& key, const std::string& value, const std::string& data) {
  return RegSucceeds("add " + Quote(key) + " /v " + Quote(value) + " /t REG_SZ /d " + Quote(data) + " /f");
}

bool RegDeleteTree(const std::string& key) {
  const std::string query = "query " + Quote(key);
  return !RegSucceeds(query) || (RegSucceeds("delete " + Quote(key) + " /f") && !RegSucceeds(query));
}

// --- Windows ---------------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  while (!condition()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(100);
  }
  return true;
}

std::vector<HWND> TopWindows(DWORD pid, const char* windowClass) {
  std::vector<HWND> all, found;
  EnumWindows(
      [](HWND w, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if ((!pid || owner == pid) && IsWindowVisible(w) && (!windowClass || ClassOf(w) == windowClass)) found.push_back(w);
  }
  return found;
}

HWND WaitForWindow(DWORD pid, const char* windowClass, int timeoutMs) {
  std::vector<HWND> found;
  WaitUntil([&] { return !(found = TopWindows(pid, windowClass)).empty(); }, timeoutMs);
  return found.empty() ? nullptr : found.front();
}

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

bool WaitHiddenOrGone(HWND window, int timeoutMs) {
  return WaitUntil([&] { return !IsShown(window); }, timeoutMs);
}

HWND Control(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

HWND ComboEdit(HWND combo) { return combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr; }

std::string GetText(HWND window) {
  LRESULT len = 0;
  if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &len) || len <= 0) return {};
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &got)) return {};
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, len)));
  return text;
}

bool SetText(HWND edit, const std::string& text) {
  LRESULT r = 0;
  return edit && Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &r) && r;
}

std::vector<std::string> ComboItems(HWND combo) {
  // The wide form: Wine hands an ANSI caller in another process the item's UTF-16 bytes.
  std::vector<std::string> items;
  LRESULT count = 0;
  if (!combo || !Send(combo, CB_GETCOUNT, 0, 0, &count)) return items;
  for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
    DWORD_PTR len = 0, got = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, kSendTimeoutMs, &len) ||
        static_cast<LRESULT>(len) < 0)
      break;
    std::wstring w(len + 1, L'\0');
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(w.data()), SMTO_NORMAL, kSendTimeoutMs,
                        &got);
    w.resize(static_cast<std::size_t>(std::clamp<LRESULT>(static_cast<LRESULT>(got), 0, static_cast<LRESULT>(len))));
    std::string a(w.size() * 4, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), a.data(),
                                      static_cast<int>(a.size()), nullptr, nullptr);
    a.resize(static_cast<std::size_t>(std::max(n, 0)));
    items.push_back(a);
  }
  return items;
}

bool PickCombo(HWND combo, const std::string& item) {
  const auto items = ComboItems(combo);
  const auto index = static_cast<WPARAM>(std::find(items.begin(), items.end(), item) - items.begin());
  LRESULT r = 0;
  return index < items.size() && Send(combo, CB_SETCURSEL, index, 0, &r) && r == static_cast<LRESULT>(index) &&
         Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
              reinterpret_cast<LPARAM>(combo));
}

bool TypeText(HWND edit, const std::string& text) {
  if (!edit || !Send(edit, EM_SETSEL, 0, -1)) return false;
  if (text.empty()) PostMessageA(edit, WM_CHAR, VK_BACK, 1);
  for (const char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  return WaitUntil([&] { return GetText(edit) == text; });
}

bool Click(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0); }

bool MouseClick(HWND window) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return false;
  if (!SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2)) return false;
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool MoveFocus(HWND target) {
  if (!target) return false;
  struct Job {
    HWND target;
    DWORD thread;
  };
  // On a thread of its own: SetFocus waits for the window losing the focus, which may open
  // a modal message box and wait for the driver to answer it.
  HANDLE t = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        const std::unique_ptr<Job> job(static_cast<Job*>(p));
        if (AttachThreadInput(GetCurrentThreadId(), job->thread, TRUE)) {
          SetFocus(job->target);
          AttachThreadInput(GetCurrentThreadId(), job->thread, FALSE);
        }
        return 0;
      },
      new Job{target, GetWindowThreadProcessId(target, nullptr)}, 0, nullptr);
  if (!t) return false;
  WaitForSingleObject(t, 2000);
  CloseHandle(t);
  return true;
}

HWND FocusedIn(HWND anyWindowOfThread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThread, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool PostKey(HWND window, WPARAM virtualKey) {
  const auto scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC)) << 16;
  return PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | scan) &&
         PostMessageA(window, WM_KEYUP, virtualKey, 1 | scan | (LPARAM{3} << 30));
}

// --- Message boxes ---------------------------------------------------------------------

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD pid, const std::string& title, int timeoutMs) {
  std::optional<MessageBoxSeen> seen;
  WaitUntil([&] {
    for (HWND w : TopWindows(pid, "#32770"))
      if (!seen && GetText(w) == title) seen = MessageBoxSeen{w, MessageBoxText(w)};
    return seen.has_value();
  }, timeoutMs);
  return seen;
}

bool HasButton(HWND box, int id) {
  HWND b = GetDlgItem(box, id);
  return b && ClassOf(b) == "Button" && IsWindowVisible(b);
}

bool PressButton(HWND box, int id) { return Click(GetDlgItem(box, id)); }

// --- Screenshots -----------------------------------------------------------------------

std::string ScreenshotFolder() {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("RD_SCREENSHOT_DIR", value, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(value) : ParentFolder(ExeFolder()) + "\\screenshots";
}

std::string SaveScreenshot(HWND window, const std::string& name) {
  if (!IsWindow(window)) return {};
  // Let the window finish painting what it has just been given.
  for (int i = 0; i < 3; ++i) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Send(window, WM_NULL, 0, 0);
    Sleep(150);
  }
  RECT r{};
  if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return {};
  RgbImage image;
  image.width = r.right - r.left;
  image.height = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.width;
  bi.bmiHeader.biHeight = -image.height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;  // no row padding
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = dib ? SelectObject(mem, dib) : nullptr;
  const bool ok = dib && bits &&
                  BitBlt(mem, 0, 0, image.width, image.height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  if (ok) {
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = bgrx[i / 3 * 4 + 2 - i % 3];
  }
  if (old) SelectObject(mem, old);
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  const std::string folder = ScreenshotFolder(), path = folder + "\\" + name + ".png";
  const auto png = ok ? EncodePng(image) : std::vector<std::uint8_t>();
  return ok && MakeFolders(folder) && WriteBytes(path, std::string(png.begin(), png.end())) ? path : std::string();
}

}  // namespace e2e
