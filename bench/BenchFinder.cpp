// Finding the installed games (the finder's own code over the real registry and file
// system) on a Steam installation of 5 libraries and 200 manifests, against reading every
// file of that tree once with ReadFile.
// bench_finder FOLDER [ROUNDS]   (FOLDER: a Windows path; the tree is made and removed there)
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "games/GameFinder.h"
#include "win32/Win32Ports.h"

namespace {

constexpr int kLibraries = 5;
constexpr int kManifests = 200;

bool Write(const std::string& path, const std::string& text) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  CloseHandle(f);
  return ok;
}

void MakeFolders(const std::string& path) {
  for (auto cut = path.find('\\', 3); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
    CreateDirectoryA(path.substr(0, cut).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
}

std::string Escaped(const std::string& path) {
  std::string out;
  for (const char c : path) out += c == '\\' ? "\\\\" : std::string(1, c);
  return out;
}

// The three games among 200 others, each in a different library; Steam's folder is the
// first library. Answers every file written.
std::vector<std::string> MakeTree(const std::string& folder) {
  std::vector<std::string> files;
  std::vector<std::string> libraries;
  for (int l = 0; l < kLibraries; ++l) {
    libraries.push_back(folder + (l == 0 ? "\\Steam" : "\\Library " + std::to_string(l)));
    MakeFolders(libraries.back() + "\\steamapps\\common");
  }
  const struct {
    const char* id;
    const char* dir;
    const char* exe;
  } games[] = {{"70", "Half-Life", "hl.exe"},
               {"2200", "Quake 3 Arena", "quake3.exe"},
               {"9010", "Return to Castle Wolfenstein", "WolfMP.exe"}};
  std::string list = "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\t\"-5740639267058770728\"\n";
  std::vector<std::string> apps(kLibraries);
  for (int m = 0; m < kManifests; ++m) {
    const int l = m % kLibraries;
    const bool game = m >= kManifests - 3;
    const std::string id = game ? games[m - (kManifests - 3)].id : std::to_string(100000 + m);
    const std::string dir = game ? games[m - (kManifests - 3)].dir : "Game " + std::to_string(m);
    const std::string steamapps = libraries[l] + "\\steamapps";
    files.push_back(steamapps + "\\appmanifest_" + id + ".acf");
    Write(files.back(),
          "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id + "\"\n\t\"name\"\t\t\"" + dir +
              "\"\n\t\"StateFlags\"\t\t\"4\"\n\t\"installdir\"\t\t\"" + dir +
              "\"\n\t\"InstalledDepots\"\n\t{\n\t\t\"" + id +
              "1\"\n\t\t{\n\t\t\t\"manifest\"\t\t\"7105817375245347744\"\n\t\t}\n\t}\n}\n");
    apps[l] += "\t\t\t\"" + id + "\"\t\t\"1048576\"\n";
    if (game) {
      MakeFolders(steamapps + "\\common\\" + dir);
      Write(steamapps + "\\common\\" + dir + "\\" + games[m - (kManifests - 3)].exe, "MZ");
    }
  }
  for (int l = 0; l < kLibraries; ++l) {
    list += "\t\"" + std::to_string(l) + "\"\n\t{\n\t\t\"path\"\t\t\"" + Escaped(libraries[l]) +
            "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n" + apps[l] + "\t\t}\n\t}\n";
  }
  files.push_back(libraries[0] + "\\steamapps\\libraryfolders.vdf");
  Write(files.back(), list + "}\n");
  return files;
}

double ReadAll(const std::vector<std::string>& files) {
  const double t0 = bench::NowMs();
  char buffer[16384];
  for (const std::string& path : files) {
    const HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD got = 0;
    if (f != INVALID_HANDLE_VALUE) ReadFile(f, buffer, sizeof buffer, &got, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }
  return bench::NowMs() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_finder FOLDER [ROUNDS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 21;
  const std::vector<std::string> files = MakeTree(folder);

  // As Steam writes it: forward slashes, lower case.
  std::string steamPath = folder + "\\Steam";
  for (char& c : steamPath)
    c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Valve\\Steam", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != 0) {
    std::printf("finder: cannot write SteamPath\n");
    return 1;
  }
  RegSetValueExA(key, "SteamPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(steamPath.c_str()),
                 static_cast<DWORD>(steamPath.size() + 1));
  RegCloseKey(key);

  rd::win32::Win32Platform platform;
  std::vector<double> ours, floor;
  std::size_t found = 0;
  double first = -1;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = bench::NowMs();
    const auto games = rd::games::FindGames(platform.ports.registry, platform.ports.files);
    const double t = bench::NowMs() - t0;
    if (first < 0) first = t;
    ours.push_back(t);
    floor.push_back(ReadAll(files));
    found = 0;
    for (const auto& game : games) found += game.executables.size();
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Valve\\Steam");
  const double a = bench::Median(ours), b = bench::Median(floor);
  std::printf(
      "finder: %d libraries, %d manifests: FindGames %.2f ms (first run %.2f ms), "
      "%zu of 3 games found (goal < 20 ms) [median of %d]\n",
      kLibraries, kManifests, a, first, found, rounds);
  std::printf("finder: ReadFile of all %zu files of the tree %.2f ms, ratio %.2fx\n", files.size(),
              b, a / b);
  return found == 3 ? 0 : 1;
}
