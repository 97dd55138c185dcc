// A map's picture: looking it up in the index, reading and unpacking it from its archive and
// decoding it, against decoding the same image from memory alone; and building the index
// of a real game's archives (OpenArena's under Wine's Z: drive).
// bench_pictures FOLDER [GAME]   (Windows paths: where to put the archive; OpenArena's folder)
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "pictures/Levelshots.h"
#include "tests/unit/pictures/ImageWriter.h"
#include "tests/unit/pictures/ZipWriter.h"
#include "win32/Win32Ports.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& bytes) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_pictures FOLDER [GAME]\n");
    return 2;
  }
  using namespace rd::pictures;
  const std::string folder = argv[1];
  rd::win32::Win32Platform platform;

  // A 512 by 512 levelshot of each kind in an archive with a few hundred other members, as
  // a map pack holds them.
  const Image pattern = samples::Pattern(512, 512);
  const std::string jpeg = samples::Jpeg(pattern, 90), tga = samples::Tga(pattern);
  fixtures::ZipWriter zip;
  for (int i = 0; i < 300; ++i) zip.Add("textures/filler/" + std::to_string(i) + ".tga", std::string(200, 'x'));
  zip.Add("levelshots/bench_jpeg.jpg", jpeg, false).Add("levelshots/bench_tga.tga", tga, true);
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\baseq3").c_str(), nullptr);
  const std::string pak = folder + "\\baseq3\\pak0.pk3";
  if (!WriteWhole(pak, zip.Bytes())) {
    std::printf("pictures: cannot write %s\n", pak.c_str());
    return 1;
  }
  const LevelshotIndex index = LevelshotIndex::Build(platform.files, folder, "baseq3", "");

  constexpr int kRounds = 41;
  int status = 0;
  for (const auto& [name, map, bytes] : {std::tuple{"JPEG", "bench_jpeg", jpeg}, {"TGA", "bench_tga", tga}}) {
    std::vector<double> ours, floor;
    bool ok = true;
    for (int r = 0; r < kRounds; ++r) {  // taking turns going first
      for (int k = 0; k < 2; ++k) {
        const double t0 = bench::NowMs();
        if ((r + k) % 2 == 0) {
          ok = Levelshot(platform.files, index, map).has_value() && ok;
          ours.push_back(bench::NowMs() - t0);
        } else {
          ok = Decode(bytes).has_value() && ok;
          floor.push_back(bench::NowMs() - t0);
        }
      }
    }
    if (!ok) {
      std::printf("pictures %s: the levelshot could not be read\n", name);
      status = 1;
      continue;
    }
    const double a = bench::Median(ours), b = bench::Median(floor);
    std::printf("pictures %s 512x512 (%zu bytes): lookup, read and decode %.2f ms, decoding alone %.2f ms, "
                "ratio %.2fx (goal <= 30 ms) [median of %d]\n",
                name, bytes.size(), a, b, a / b, kRounds);
  }
  {
    const Image image = *Decode(jpeg);
    std::vector<double> times;
    for (int r = 0; r < kRounds; ++r) {
      const double t0 = bench::NowMs();
      const Placement p = Fit(image.width, image.height, 300, 225);
      Scale(image, p.width, p.height);
      times.push_back(bench::NowMs() - t0);
    }
    std::printf("pictures: scaling 512x512 to the pane (225x225) %.2f ms [median of %d]\n", bench::Median(times), kRounds);
  }
  DeleteFileA(pak.c_str());
  RemoveDirectoryA((folder + "\\baseq3").c_str());
  RemoveDirectoryA(folder.c_str());

  if (argc > 2) {
    const std::string game = argv[2];
    std::vector<double> times;
    std::size_t archives = 0, shots = 0;
    for (int r = 0; r < 5; ++r) {
      const double t0 = bench::NowMs();
      const LevelshotIndex oa = LevelshotIndex::Build(platform.files, game, "baseoa", "");
      times.push_back(bench::NowMs() - t0);
      archives = oa.Archives().size(), shots = oa.Size();
    }
    const double first = times.front();
    std::printf("pictures: index of OpenArena's %zu archives (%zu levelshots) built in %.1f ms, first %.1f ms "
                "[median of 5]\n",
                archives, shots, bench::Median(times), first);
    const double t0 = bench::NowMs();
    const auto oa = LevelshotIndex::Build(platform.files, game, "baseoa", "");
    const std::string cached = oa.Serialize();
    const double built = bench::NowMs() - t0;
    const double t1 = bench::NowMs();
    const bool back = LevelshotIndex::Deserialize(cached).has_value() && oa.Current(platform.files);
    std::printf("pictures: the index kept in the cache (%zu bytes) comes back and is checked in %.2f ms%s "
                "(building it %.1f ms)\n",
                cached.size(), bench::NowMs() - t1, back ? "" : " (FAILED)", built);
    if (!back || archives == 0) status = 1;
  }
  return status;
}
