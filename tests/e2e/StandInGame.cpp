// Stands in for a game's executable: records how it was started (its command line and
// working folder) in "standin-record.txt" beside itself, then ends.
#include "tests/e2e/Driver.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string entry = std::string("CMDLINE:") + GetCommandLineA() + "\r\nCWD:" + cwd + "\r\n";
  const std::string record = e2e::ExeFolder() + "\\standin-record.txt";
  HANDLE h = CreateFileA(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == entry.size() ? 0 : 1;
}
