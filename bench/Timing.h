#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// A QueryPerformanceCounter reading, of this process or another, in milliseconds.
inline double TicksToMs(long long ticks) {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  return static_cast<double>(ticks) / perMs;
}

inline double NowMs() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return TicksToMs(t.QuadPart);
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A whole file, or what of it could be read.
inline std::string ReadWhole(const std::string& path) {
  std::string bytes;
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

// When the stand-in game began to run, by its own reading of the clock written to
// startedFile, on NowMs' clock; negative when it did not start within 30 s.
inline double GameStart(const std::string& startedFile) {
  const double limit = NowMs() + 30000;
  while (NowMs() < limit) {
    if (FILE* f = std::fopen(startedFile.c_str(), "rb")) {
      long long ticks = 0;
      const bool read = std::fscanf(f, "%lld", &ticks) == 1;
      std::fclose(f);
      DeleteFileA(startedFile.c_str());
      if (read) return TicksToMs(ticks);
    }
    Sleep(1);
  }
  return -1;
}

}  // namespace bench
