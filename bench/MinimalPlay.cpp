// The floor of the one-step play figure: copies the demo where the game plays it and starts
// the game, nothing else. bench_minimal_play DEMO GAME.exe
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const std::string demo = __argv[1], game = __argv[2];
  const std::string folder = game.substr(0, game.find_last_of('\\'));
  if (!CopyFileA(demo.c_str(), (folder + "\\baseq3\\Demos\\replaydock.dm_68").c_str(), FALSE)) return 1;
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, nullptr, game.c_str(), "+demo replaydock.dm_68", folder.c_str(), SW_SHOW));
  return started > 32 ? 0 : 1;
}
