#include "tests/e2e/Driver.h"

#include <algorithm>
#include <cstdio>
#include <random>

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
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string& path) {
  if (path.empty() || FolderExists(path)) return !path.empty();
  const std::string parent = ParentFolder(path);
  if (!parent.empty() && parent.size() > 2 && !FolderExists(parent) && !MakeFolders(parent)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

bool DeleteTree(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
  }
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name != "." && name != "..") DeleteTree(path + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return RemoveDirectoryA(path.c_str()) != 0;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
  CloseHandle(h);
  return data;
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
  if (!fn) return windowsPath;
  std::wstring wide(windowsPath.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(),
                                    static_cast<int>(wide.size()));
  if (n <= 0) return windowsPath;
  char* unix = fn(wide.c_str());
  if (!unix) return windowsPath;
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// --- Processes and tools ---------------------------------------------------------------

Process::Process(Process&& other) noexcept : handle_(other.handle_), pid_(other.pid_) {
  other.handle_ = nullptr;
  other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    handle_ = other.handle_;
    pid_ = other.pid_;
    other.handle_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

Process::~Process() { Kill(); }

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

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(int timeoutMs, DWORD* code) {
  if (!handle_) return false;
  if (WaitForSingleObject(handle_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  DWORD c = 0;
  GetExitCodeProcess(handle_, &c);
  if (code) *code = c;
  return true;
}

void Process::Kill() {
  if (!handle_) return;
  if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  pid_ = 0;
}

ToolResult RunTool(const std::string& commandLine, int timeoutMs) {
  ToolResult result;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!ok) {
    CloseHandle(readEnd);
    return result;
  }
  result.started = true;
  CloseHandle(pi.hThread);
  // Read while it runs, and stop at its exit rather than at the pipe's end: a program the tool
  // starts (cmd's start) may inherit the pipe and keep it open for as long as it runs.
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  auto drain = [&] {
    DWORD avail = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) && avail > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd, buffer, std::min<DWORD>(avail, sizeof buffer), &got, nullptr) || got == 0) break;
      result.output.append(buffer, got);
    }
  };
  for (;;) {
    drain();
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
      drain();
      result.finished = true;
      GetExitCodeProcess(pi.hProcess, &result.exitCode);
      break;
    }
    if (GetTickCount64() > deadline) {
      TerminateProcess(pi.hProcess, 1);
      break;
    }
  }
  CloseHandle(pi.hProcess);
  CloseHandle(readEnd);
  return result;
}

std::optional<RegValue> RegQuery(const std::string& key, const std::string& value) {
  const std::string which = value.empty() ? " /ve" : " /v " + Quote(value);
  const ToolResult r = RunTool("reg.exe query " + Quote(key) + which);
  if (!r.finished || r.exitCode != 0) return std::nullopt;
  const std::string name = value.empty() ? "(Default)" : value;
  std::size_t start = 0;
  while (start < r.output.size()) {
    std::size_t end = r.output.find('\n', start);
    if (end == std::string::npos) end = r.output.size();
    std::string line = r.output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos || first == 0) continue;
    line = line.substr(first);
    const std::string lead = name + "    ";
    if (line.compare(0, lead.size(), lead) != 0) continue;
    std::string rest = line.substr(lead.size());
    RegValue v;
    const auto sep = rest.find("    ");
    v.type = rest.substr(0, sep);
    v.data = sep == std::string::npos ? std::string() : rest.substr(sep + 4);
    if (v.type.rfind("REG_", 0) == 0) return v;
  }
  return std::nullopt;
}

bool RegKeyExists(const std::string& key) {
  const ToolResult r = RunTool("reg.exe query " + Quote(key));
  return r.finished && r.exitCode == 0;
}

bool RegAddString(const std::string& key, const std::string& value, const std::string& data) {
  const ToolResult r = RunTool("reg.exe add " + Quote(key) + " /v " + Quote(value) + " /t REG_SZ /d " +
                               Quote(data) + " /f");
  return r.finished && r.exitCode == 0;
}

bool RegDeleteTree(const std::string& key) {
  if (!RegKeyExists(key)) return true;
  const ToolResult r = RunTool("reg.exe delete " + Quote(key) + " /f");
  return r.finished && r.exitCode == 0 && !RegKeyExists(key);
}

// --- Windows ---------------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > deadline) return false;
    Sleep(static_cast<DWORD>(pollMs));
  }
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  const int n = GetClassNameA(window, name, sizeof name);
  return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::vector<HWND> TopWindows(DWORD pid, const char* windowClass) {
  struct Filter {
    DWORD pid;
    const char* cls;
    std::vector<HWND> found;
  } filter{pid, windowClass, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Filter*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (f->pid && owner != f->pid) return TRUE;
        if (!IsWindowVisible(w)) return TRUE;
        if (f->cls && ClassOf(w) != f->cls) return TRUE;
        f->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&filter));
  return filter.found;
}

HWND WaitForWindow(DWORD pid, const char* windowClass, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const auto w = TopWindows(pid, windowClass);
        if (!w.empty()) found = w.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

bool WaitHiddenOrGone(HWND window, int timeoutMs) {
  return WaitUntil([&] { return !IsShown(window); }, timeoutMs);
}

HWND Control(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

HWND ComboEdit(HWND combo) { return combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr; }

std::string GetText(HWND window) {
  if (!window) return {};
  LRESULT len = 0;
  if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &len) || len <= 0) return {};
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &got)) return {};
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, len))));
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
  for (LRESULT i = 0; i < count; ++i) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, kSendTimeoutMs,
                             &len) ||
        static_cast<LRESULT>(len) < 0)
      break;
    std::wstring w(static_cast<std::size_t>(len) + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w.data()),
                        SMTO_NORMAL, kSendTimeoutMs, &got);
    if (static_cast<LRESULT>(got) < 0) got = 0;
    w.resize(std::min<std::size_t>(static_cast<std::size_t>(got), static_cast<std::size_t>(len)));
    std::string a(w.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), a.data(),
                                      static_cast<int>(a.size()), nullptr, nullptr);
    a.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    items.push_back(a);
  }
  return items;
}

bool PickCombo(HWND combo, const std::string& item) {
  const auto items = ComboItems(combo);
  const auto it = std::find(items.begin(), items.end(), item);
  if (it == items.end()) return false;
  const auto index = static_cast<WPARAM>(it - items.begin());
  LRESULT r = 0;
  if (!Send(combo, CB_SETCURSEL, index, 0, &r) || r != static_cast<LRESULT>(index)) return false;
  const int id = GetDlgCtrlID(combo);
  return Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool TypeText(HWND edit, const std::string& text) {
  if (!edit || !Send(edit, EM_SETSEL, 0, -1)) return false;
  if (text.empty()) {
    PostMessageA(edit, WM_CHAR, VK_BACK, 1);
  } else {
    for (const char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  return WaitUntil([&] { return GetText(edit) == text; });
}

bool Click(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0); }

namespace {
struct FocusJob {
  HWND target;
  DWORD targetThread;
};
DWORD WINAPI FocusThread(LPVOID p) {
  auto* job = static_cast<FocusJob*>(p);
  if (AttachThreadInput(GetCurrentThreadId(), job->targetThread, TRUE)) {
    SetFocus(job->target);
    AttachThreadInput(GetCurrentThreadId(), job->targetThread, FALSE);
  }
  delete job;
  return 0;
}
}  // namespace

bool MoveFocus(HWND target) {
  if (!target) return false;
  const DWORD tid = GetWindowThreadProcessId(target, nullptr);
  // On a thread of its own: SetFocus waits for the window losing the focus, which may open
  // a modal message box and wait for the driver to answer it.
  HANDLE t = CreateThread(nullptr, 0, FocusThread, new FocusJob{target, tid}, 0, nullptr);
  if (!t) return false;
  WaitForSingleObject(t, 2000);
  CloseHandle(t);
  return true;
}

HWND FocusedIn(HWND anyWindowOfThread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD tid = GetWindowThreadProcessId(anyWindowOfThread, nullptr);
  return GetGUIThreadInfo(tid, &info) ? info.hwndFocus : nullptr;
}

bool PostKey(HWND window, WPARAM virtualKey) {
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  return PostMessageA(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16))) &&
         PostMessageA(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

// --- Message boxes ---------------------------------------------------------------------

std::string MessageBoxText(HWND box) {
  std::string best;
  for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c;
       c = FindWindowExA(box, c, "Static", nullptr)) {
    const std::string t = GetText(c);
    if (t.size() > best.size()) best = t;
  }
  return best;
}

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD pid, const std::string& title, int timeoutMs) {
  std::optional<MessageBoxSeen> seen;
  WaitUntil(
      [&] {
        for (HWND w : TopWindows(pid, "#32770")) {
          if (GetText(w) == title) {
            seen = MessageBoxSeen{w, title, MessageBoxText(w)};
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return seen;
}

bool HasButton(HWND box, int id) {
  HWND b = GetDlgItem(box, id);
  return b && ClassOf(b) == "Button" && IsWindowVisible(b);
}

bool PressButton(HWND box, int id) {
  HWND b = GetDlgItem(box, id);
  return b && Click(b);
}

// --- Screenshots -----------------------------------------------------------------------

std::string ScreenshotFolder() {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("RD_SCREENSHOT_DIR", value, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return value;
  return ParentFolder(ExeFolder()) + "\\screenshots";
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
  if (!GetWindowRect(window, &r)) return {};
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  RgbImage image;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(mem, old);
    if (ok) {
      image.width = w;
      image.height = h;
      image.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
      const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
      const auto* src = static_cast<const std::uint8_t*>(bits);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::uint8_t* p = src + stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 3;
          std::uint8_t* q = &image.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                           static_cast<std::size_t>(x)) * 3];
          q[0] = p[2];
          q[1] = p[1];
          q[2] = p[0];
        }
    }
  }
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!ok) return {};
  const std::string folder = ScreenshotFolder();
  if (!MakeFolders(folder)) return {};
  const std::string path = folder + "\\" + name + ".png";
  const auto png = EncodePng(image);
  if (!WriteBytes(path, std::string(png.begin(), png.end()))) return {};
  return path;
}

}  // namespace e2e
