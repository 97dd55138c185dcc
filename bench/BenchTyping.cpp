// One keystroke in the file box writes one setting: WriteValue of a 100-character path
// through the Win32 adapters, against the bare advapi32 calls of the same work.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "catalogue/GameCatalogue.h"
#include "win32/Win32Ports.h"
#include "settings/SettingsStore.h"

int main() {
  rd::win32::Win32Platform platform;
  const std::string key(rd::catalogue::SettingsKey);
  std::string path = "C:\\Games\\Demos\\";
  while (path.size() < 96) path += "abcdefghij";
  path.resize(96);
  path += ".dem";  // 100 characters

  constexpr int kWrites = 500;
  constexpr int kRounds = 9;
  std::vector<double> ours, floor;
  for (int round = 0; round < kRounds; ++round) {
    double t0 = bench::NowMs();
    for (int i = 0; i < kWrites; ++i) {
      path[20] = static_cast<char>('a' + i % 26);  // each keystroke changes the text
      rd::SettingsStore::WriteValue(platform.ports, "HKCU", key, "LastFilename", "S",
                                  rd::SettingValue(path));
    }
    ours.push_back((bench::NowMs() - t0) * 1000.0 / kWrites);

    t0 = bench::NowMs();
    for (int i = 0; i < kWrites; ++i) {
      path[20] = static_cast<char>('a' + i % 26);
      SECURITY_ATTRIBUTES sa{};
      HKEY k = nullptr;
      DWORD disposition = 0;
      char empty[] = "";
      if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, empty, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &sa, &k, &disposition) == 0) {
        RegSetValueExA(k, "LastFilename", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(k);
      }
    }
    floor.push_back((bench::NowMs() - t0) * 1000.0 / kWrites);
  }
  const double a = bench::Median(ours), b = bench::Median(floor);
  std::printf("typing: WriteValue %.1f us/write, floor (RegCreateKeyExA+RegSetValueExA+RegCloseKey) "
              "%.1f us/write, ratio %.2fx (goal <= 1.20x) [median of %d rounds of %d writes]\n",
              a, b, a / b, kRounds, kWrites);
  return 0;
}
