// Staging a demo (the play command's own code: demo folder, copy to a temporary file,
// rename over the staged name) against CopyFileA of the same file in the same run.
// bench_staging FOLDER SIZE_MB...   (FOLDER: a Windows path; files are made and removed there)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "launcher/GameCatalogue.h"
#include "launcher/PlayCommand.h"
#include "win32/Win32Ports.h"

namespace {

bool MakeDemo(const std::string& path, unsigned long long bytes) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  bool ok = true;
  for (unsigned long long done = 0; ok && done < bytes;) {
    const DWORD n = static_cast<DWORD>(std::min<unsigned long long>(block.size(), bytes - done));
    DWORD written = 0;
    ok = WriteFile(f, block.data(), n, &written, nullptr) && written == n;
    done += n;
  }
  CloseHandle(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_staging FOLDER SIZE_MB...\n");
    return 2;
  }
  const std::string folder = argv[1];
  rd::win32::Win32Platform platform;
  const rd::catalogue::Game& q3 = *rd::catalogue::FindByName("Quake 3 Arena");
  const std::string exeFolder = folder + "\\Quake III Arena";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(exeFolder.c_str(), nullptr);
  CreateDirectoryA((exeFolder + "\\baseq3").c_str(), nullptr);
  const std::string demo = folder + "\\demo.dm_66";
  const std::string plain = folder + "\\copy.dm_66";

  int status = 0;
  for (int a = 2; a < argc; ++a) {
    const unsigned long long mb = std::strtoull(argv[a], nullptr, 10);
    if (!MakeDemo(demo, mb << 20)) {
      std::printf("staging %llu MB: could not write the demo (disk full?)\n", mb);
      status = 1;
      continue;
    }
    const int rounds = mb >= 1000 ? 3 : mb >= 100 ? 6 : 15;
    std::vector<double> ours, floor, fresh;
    bool ok = true;
    // The two take turns going first, so that neither always pays for the other's pages
    // still being written back.
    const auto stage = [&] {
      const double t0 = bench::NowMs();
      ok = rd::play::StageDemo(platform.ports, q3, exeFolder, "", demo).staged && ok;
      ours.push_back(bench::NowMs() - t0);
    };
    const auto copy = [&] {
      const double t0 = bench::NowMs();
      ok = CopyFileA(demo.c_str(), plain.c_str(), FALSE) && ok;
      floor.push_back(bench::NowMs() - t0);
    };
    // A second reference: CopyFileA to a name that does not exist yet, as the staging copy's
    // temporary file does not.
    const std::string freshName = folder + "\\fresh.dm_66";
    const auto copyFresh = [&] {
      DeleteFileA(freshName.c_str());
      const double t0 = bench::NowMs();
      ok = CopyFileA(demo.c_str(), freshName.c_str(), FALSE) && ok;
      fresh.push_back(bench::NowMs() - t0);
    };
    for (int r = 0; r < rounds && ok; ++r) {
      switch (r % 3) {
        case 0: stage(); copy(); copyFresh(); break;
        case 1: copy(); copyFresh(); stage(); break;
        default: copyFresh(); stage(); copy(); break;
      }
    }
    DeleteFileA(freshName.c_str());
    if (!ok) {
      std::printf("staging %llu MB: a copy failed (error %lu)\n", mb, GetLastError());
      status = 1;
    } else {
      const double a1 = bench::Median(ours), b1 = bench::Median(floor);
      const double c1 = bench::Median(fresh);
      std::printf("staging %llu MB: StageDemo %.1f ms (%.0f MB/s), CopyFileA %.1f ms (%.0f MB/s), "
                  "throughput ratio %.2fx (goal >= 0.95x) [median of %d]\n",
                  mb, a1, mb / a1 * 1000.0, b1, mb / b1 * 1000.0, b1 / a1, rounds);
      std::printf("staging %llu MB: CopyFileA to a new file %.1f ms (%.0f MB/s), StageDemo ratio "
                  "to it %.2fx\n", mb, c1, mb / c1 * 1000.0, c1 / a1);
    }
    DeleteFileA(plain.c_str());
    DeleteFileA(rd::catalogue::StagedPath(q3, exeFolder, "").c_str());
    DeleteFileA(demo.c_str());
  }
  return status;
}
