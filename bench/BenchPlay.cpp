// One-step play: from the start of "Replaydock.exe -play <demo>" to the game's process
// running, against a minimal program that copies the demo and starts the game.
// bench_play REPLAYDOCK.exe MINIMAL_PLAY.exe GAME.exe FOLDER [ROUNDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace {

// Starts the command line; answers the time from the start to the game's, or a negative one.
double Measure(const std::string& exe, std::string command, const std::string& started) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = bench::NowMs();
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    return -1;
  }
  const double t1 = bench::GameStart(started);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return t1 < 0 ? -1 : t1 - t0;
}

void SetText(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench_play REPLAYDOCK.exe MINIMAL_PLAY.exe GAME.exe FOLDER [ROUNDS]\n");
    return 2;
  }
  const std::string program = argv[1], minimal = argv[2], folder = argv[4];
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 9;
  const std::string gameFolder = folder + "\\Quake III Arena", game = gameFolder + "\\quake3.exe";
  const std::string demo = folder + "\\duel.dm_68", started = gameFolder + "\\started.txt";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(gameFolder.c_str(), nullptr);
  CreateDirectoryA((gameFolder + "\\baseq3").c_str(), nullptr);
  CreateDirectoryA((gameFolder + "\\baseq3\\Demos").c_str(), nullptr);
  if (!CopyFileA(argv[3], game.c_str(), FALSE)) {
    std::printf("one-step play: cannot install the stand-in game %s\n", argv[3]);
    return 1;
  }
  // A demo of a typical size; its content is no concern of the launch.
  {
    std::string bytes(200 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 >> 3);
    FILE* f = std::fopen(demo.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
    std::fclose(f);
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaway\\Replaydock\\Settings", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != 0) {
    return 1;
  }
  SetText(key, "AlreadyRun", "Yes");
  SetText(key, "Q3APath", game);
  SetText(key, "DefaultQ3AMod", "");
  RegCloseKey(key);

  std::vector<double> ours, floor;
  for (int r = 0; r < rounds; ++r) {
    // Taking turns, so that neither always finds the other's pages warm.
    for (int which = 0; which < 2; ++which) {
      const bool first = (which == 0) == (r % 2 == 0);
      const double t = first ? Measure(program, "\"" + program + "\" -play \"" + demo + "\"", started)
                             : Measure(minimal, "\"" + minimal + "\" \"" + demo + "\" \"" + game + "\"", started);
      if (t < 0) {
        std::printf("one-step play: round %d: the game was not started\n", r + 1);
        return 1;
      }
      (first ? ours : floor).push_back(t);
    }
  }
  const double o = bench::Median(ours), f = bench::Median(floor);
  std::printf("one-step play: process start to the game started %.0f ms, CopyFileA + ShellExecuteA "
              "program %.0f ms, ratio %.2fx (goal <= 1.3x) [median of %d]\n", o, f, o / f, rounds);
  return 0;
}
