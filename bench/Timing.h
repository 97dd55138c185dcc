#pragma once
#include <windows.h>

#include <algorithm>
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

}  // namespace bench
