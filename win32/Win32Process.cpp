#include "win32/Win32Process.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "util/Text.h"
#include "win32/SystemLibrary.h"

namespace rd::win32 {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string ModulePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::string(buffer.data(), n);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string LocaleText(LCTYPE what, const char* fallback) {
  char buffer[16] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buffer, sizeof buffer) <= 1) return fallback;
  return buffer;
}

}  // namespace

std::string ArgumentText(std::string_view commandLine) {
  std::size_t i = 0;
  if (i < commandLine.size() && commandLine[i] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return std::string(commandLine.substr(i));
}

std::string Win32Process::CommandLineText() {
  const char* line = GetCommandLineA();
  return line ? ArgumentText(line) : std::string();
}

std::string Win32Process::ExeFolder() {
  const std::string path = ModulePath();
  const auto cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Win32Process::ExeBaseName() {
  const std::string path = ModulePath();
  std::string name = path.substr(path.find_last_of('\\') + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

ProgramVersion Win32Process::Version() {
  static const auto infoSize =
      SystemFunction<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
  static const auto infoBlock =
      SystemFunction<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
  static const auto query =
      SystemFunction<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA");
  if (!infoSize || !infoBlock || !query) return {};
  const std::string path = ModulePath();
  DWORD ignored = 0;
  const DWORD size = infoSize(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!infoBlock(path.c_str(), 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  char root[] = "\\";
  if (!query(block.data(), root, reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  return ProgramVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                        LOWORD(info->dwFileVersionLS)};
}

NumberFormat Win32Process::Numbers() {
  return NumberFormat{LocaleText(LOCALE_SDECIMAL, "."), LocaleText(LOCALE_STHOUSAND, ",")};
}

std::string Win32Process::ErrorText(std::uint32_t code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = (n && text) ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) {
    out.pop_back();
  }
  if (out.empty()) out = "Error " + std::to_string(code) + ".";
  return out;
}

std::string Win32Process::ChangeCase(const std::string& utf8, bool upper) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(utf8.size(), L'\0');
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), size);
  if (n <= 0) {
    // Not UTF-8 (or empty): only the ASCII letters have a case that is sure.
    return upper ? util::ToUpper(utf8) : util::ToLower(utf8);
  }
  std::wstring mapped(static_cast<std::size_t>(n), L'\0');
  n = LCMapStringEx(LOCALE_NAME_INVARIANT, upper ? LCMAP_UPPERCASE : LCMAP_LOWERCASE, wide.data(),
                    n, mapped.data(), n, nullptr, nullptr, 0);
  if (n <= 0) return utf8;
  std::string out(static_cast<std::size_t>(n) * 3, '\0');
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, mapped.data(), n, out.data(),
                                        static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
  return bytes > 0 ? out : utf8;
}

std::string Win32Process::UserFolderPath(UserFolder which) {
  // shell32 only when a launch needs it: start-up does without.
  static const auto folderPath =
      SystemFunction<decltype(&SHGetFolderPathA)>("shell32.dll", "SHGetFolderPathA");
  if (!folderPath) return {};
  const int csidl = which == UserFolder::RoamingAppData ? CSIDL_APPDATA
                    : which == UserFolder::LocalAppData ? CSIDL_LOCAL_APPDATA
                                                        : CSIDL_PERSONAL;
  char path[MAX_PATH] = {};
  if (folderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
  std::string out(path);
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

bool Win32Process::ProcessAlive(std::uint32_t pid) {
  if (pid == 0) return false;
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  // A process of another account, or an elevated one, is there even when it may not be opened.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

void Win32Process::Exit(int code) { ExitProcess(static_cast<UINT>(code)); }

}  // namespace rd::win32
