// The stand-in game of the staging benchmark: notes the moment it runs in started.txt of its
// working folder, as a QueryPerformanceCounter reading, and ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%lld", static_cast<long long>(now.QuadPart));
  // Written whole under another name first, so that the benchmark never reads half of it.
  const HANDLE file = CreateFileA("started.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const bool ok = WriteFile(file, text, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
  return ok && MoveFileExA("started.tmp", "started.txt", MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
