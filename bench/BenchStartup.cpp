// Start-up and footprint: starts the program and the minimal one-window program in turn,
// and watches for their windows to appear on screen.
// bench_startup PROGRAM.exe MINIMAL.exe [ROUNDS]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace {

constexpr double kSplashMs = 2000;  // the splash window's fixed time on screen

struct Search {
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (s->className && lstrcmpiA(cls, s->className) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

HWND VisibleWindow(DWORD pid, const char* className) {
  Search s{pid, className, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Polls until the window is on screen; answers the time it appeared, or a negative time.
double WaitFor(DWORD pid, const char* className, double limitMs, HWND& window) {
  const double start = bench::NowMs();
  while (bench::NowMs() - start < limitMs) {
    window = VisibleWindow(pid, className);
    if (window) return bench::NowMs();
    Sleep(1);
  }
  return -1;
}

struct Run {
  double firstWindowMs = -1;  // process start to the first window on screen
  double secondWindowMs = -1; // first window to the second one, for the program
  SIZE_T peakWorkingSet = 0;
};

Run Start(const std::string& exe, const char* firstClass, const char* secondClass) {
  Run run;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + exe + "\"";
  const double t0 = bench::NowMs();
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
    return run;
  }
  HWND window = nullptr;
  const double t1 = WaitFor(pi.dwProcessId, firstClass, 30000, window);
  if (t1 >= 0) run.firstWindowMs = t1 - t0;
  if (t1 >= 0 && secondClass) {
    const double t2 = WaitFor(pi.dwProcessId, secondClass, 30000, window);
    if (t2 >= 0) run.secondWindowMs = t2 - t1;
  }
  if (window) {
    Sleep(200);  // let the window finish painting before reading the peak
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) run.peakWorkingSet = pmc.PeakWorkingSetSize;
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

unsigned long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_startup PROGRAM.exe MINIMAL.exe [ROUNDS]\n");
    return 2;
  }
  const std::string program = argv[1], minimal = argv[2];
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

  // Not the first run: no first-run dialogue between the splash and the main window.
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaway\\Replaydock\\Settings", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == 0) {
    RegSetValueExA(key, "AlreadyRun", 0, REG_SZ, reinterpret_cast<const BYTE*>("Yes"), 4);
    RegCloseKey(key);
  }

  std::vector<double> splash, handover, floor;
  SIZE_T peakOurs = 0, peakFloor = 0;
  for (int r = 0; r < rounds; ++r) {
    const Run ours = Start(program, "ReplaydockSplash", "ReplaydockMain");
    const Run base = Start(minimal, "BenchMinimalWindow", nullptr);
    if (ours.firstWindowMs < 0 || ours.secondWindowMs < 0 || base.firstWindowMs < 0) {
      std::printf("start-up: round %d: a window did not appear\n", r + 1);
      return 1;
    }
    splash.push_back(ours.firstWindowMs);
    handover.push_back(ours.secondWindowMs - kSplashMs);
    floor.push_back(base.firstWindowMs);
    peakOurs = std::max(peakOurs, ours.peakWorkingSet);
    peakFloor = std::max(peakFloor, base.peakWorkingSet);
  }
  const double s = bench::Median(splash), h = bench::Median(handover), f = bench::Median(floor);
  std::printf("start-up: process start to splash on screen %.0f ms, minimal window %.0f ms, "
              "ratio %.2fx (goal <= 1.5x) [median of %d]\n", s, f, s / f, rounds);
  std::printf("start-up: hand-over to main window on screen %.0f ms beyond the fixed %.0f ms, "
              "minimal window %.0f ms, ratio %.2fx (goal <= 1.5x)\n", h, kSplashMs, f, h / f);
  std::printf("footprint: exe %llu bytes, minimal %llu bytes, ratio %.1fx\n", FileSize(program),
              FileSize(minimal), static_cast<double>(FileSize(program)) / FileSize(minimal));
  std::printf("footprint: peak working set after the main window %.1f MB, minimal window %.1f MB, "
              "ratio %.2fx\n", peakOurs / 1048576.0, peakFloor / 1048576.0,
              peakFloor ? static_cast<double>(peakOurs) / peakFloor : 0.0);
  return 0;
}
