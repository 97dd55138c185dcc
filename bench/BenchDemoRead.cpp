// Reading a demo through the Win32 file system against opening and closing the same
// file, for a 1 MB and a 1 GB demo of each kind, made by padding a real demo's start; the
// Quake 3 reading includes the match length, read from the file's end.
// bench_demo_read CORPUS FOLDER   (Windows paths: the real demos; where to make the big ones)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "demo/DemoReader.h"
#include "win32/Win32Ports.h"

namespace {

// head at the start, tail at the very end, a hole between (sparse where the file system can).
bool MakeDemo(const std::string& path, const std::string& head, const std::string& tail,
              unsigned long long bytes) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(bytes - tail.size());
  ok = ok && SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
       WriteFile(f, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr) &&
       SetEndOfFile(f);
  CloseHandle(f);
  return ok;
}

struct Kind {
  const char* name;
  std::string head, tail;  // tail: what moves to the new end (directory, or last record)
  bool quake3;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_demo_read CORPUS FOLDER\n");
    return 2;
  }
  const std::string corpus = argv[1];
  const std::string folder = argv[2];
  CreateDirectoryA(folder.c_str(), nullptr);
  rd::win32::Win32Platform platform;

  const std::string hl = bench::ReadWhole(corpus + "\\real-01.dem");
  const std::string q3 = bench::ReadWhole(corpus + "\\real-04.dm_68");
  if (hl.size() < 544 || q3.empty()) {
    std::printf("read: the real demos are missing in %s\n", corpus.c_str());
    return 1;
  }
  std::int32_t directory = 0;
  std::memcpy(&directory, hl.data() + 540, 4);
  // The Quake 3 demo's last record and end marker move to the new end, so that the length is
  // measured across the whole file: the reading finds them there without walking to them.
  std::size_t last = 0;
  for (std::size_t at = 0; at + 8 <= q3.size();) {
    std::int32_t length = 0;
    std::memcpy(&length, q3.data() + at + 4, 4);
    if (length < 0) break;
    last = at;
    at += 8 + static_cast<std::size_t>(length);
  }
  const std::vector<Kind> kinds = {{"Half-Life", hl.substr(0, directory), hl.substr(directory), false},
                                   {"Quake 3", q3.substr(0, last), q3.substr(last), true}};

  // The message code is built once per process, on the first Quake 3 demo.
  double t0 = bench::NowMs();
  rd::demo::ReadDemoBytes(q3);
  std::printf("read: message code built once in %.1f ms\n", bench::NowMs() - t0);

  const auto openClose = [](const std::string& path) {
    const HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return f != INVALID_HANDLE_VALUE && CloseHandle(f);
  };
  constexpr unsigned long long kSizesMb[] = {1, 1024};
  constexpr int kRounds = 301;
  int status = 0;
  for (const Kind& kind : kinds) {
    std::string paths[2];
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
      const unsigned long long size = kSizesMb[i] << 20;
      paths[i] =
          folder + "\\demo" + std::to_string(kSizesMb[i]) + (kind.quake3 ? ".dm_68" : ".dem");
      std::string head = kind.head;
      if (!kind.quake3) {
        const auto at = static_cast<std::int32_t>(size - kind.tail.size());
        std::memcpy(head.data() + 540, &at, 4);
      }
      ok = MakeDemo(paths[i], head, kind.tail, size) && ok;
    }
    // Both sizes and the floor in every round, taking turns going first, so that a busy
    // machine weighs on all of them alike.
    std::vector<double> ours[2], floor[2];
    for (int r = 0; r < kRounds && ok; ++r) {
      for (int k = 0; k < 2; ++k) {
        const int i = (r + k) % 2;
        t0 = bench::NowMs();
        ok = rd::demo::ReadDemo(platform.files, paths[i]).read && ok;
        ours[i].push_back(bench::NowMs() - t0);
        t0 = bench::NowMs();
        ok = openClose(paths[i]) && ok;
        floor[i].push_back(bench::NowMs() - t0);
      }
    }
    for (int i = 0; i < 2 && ok; ++i) {
      const double seconds = rd::demo::ReadDemo(platform.files, paths[i]).seconds;
      std::printf("read %s %llu MB: length %.3f s\n", kind.name, kSizesMb[i], seconds);
      ok = seconds >= 0;
    }
    for (const std::string& path : paths) DeleteFileA(path.c_str());
    if (!ok) {
      std::printf("read %s: the demos could not be made or read (error %lu)\n", kind.name,
                  GetLastError());
      status = 1;
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      const double a = bench::Median(ours[i]), b = bench::Median(floor[i]);
      std::printf(
          "read %s %llu MB: reading %.3f ms, open+close %.3f ms, ratio %.2fx "
          "(goal < 1 ms) [median of %d]\n",
          kind.name, kSizesMb[i], a, b, a / b, kRounds);
    }
    std::printf("read %s: 1 GB / 1 MB %.2fx (goal <= %s)\n", kind.name,
                bench::Median(ours[1]) / bench::Median(ours[0]), kind.quake3 ? "1.5x" : "1.2x");
  }
  RemoveDirectoryA(folder.c_str());
  return status;
}
