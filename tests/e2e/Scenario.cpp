#include "tests/e2e/Scenario.h"

#include <cstring>

namespace e2e {
namespace {

std::string RecordPath(const std::string& gameExe) { return ParentFolder(gameExe) + "\\standin-record.txt"; }

}  // namespace

std::string ReplaydockExe() { return ExeFolder() + "\\Replaydock.exe"; }
std::string StandInExe() { return ExeFolder() + "\\standin_game.exe"; }

std::vector<GameStart> ReadGameStarts(const std::string& gameExe) {
  std::vector<GameStart> starts;
  const std::string text = ReadBytes(RecordPath(gameExe)).value_or("");
  // Whole lines only: the last entry may still be being written.
  for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    const std::string line = text.substr(pos, end - pos);
    if (line.rfind("CMDLINE:", 0) == 0) {
      starts.push_back(GameStart{line.substr(8), {}});
    } else if (line.rfind("CWD:", 0) == 0 && !starts.empty()) {
      starts.back().workingFolder = line.substr(4);
    }
  }
  return starts;
}

std::vector<GameStart> WaitForGameStarts(const std::string& gameExe, std::size_t count, int timeoutMs) {
  std::vector<GameStart> starts;
  WaitUntil(
      [&] {
        starts = ReadGameStarts(gameExe);
        return starts.size() >= count && !starts.back().workingFolder.empty();
      },
      timeoutMs);
  return starts;
}

bool InstallStandIn(const std::string& gameExe) {
  DeleteTree(RecordPath(gameExe));
  return CopyTo(StandInExe(), gameExe);
}

bool FreshSettings(bool firstRunDone) {
  return RegDeleteTree(kAppKey) && (!firstRunDone || RegAddString(kSettingsKey, "AlreadyRun", "Yes"));
}

bool LetWineDrawTitleBars() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return true;
  return RegAddString("HKCU\\Software\\Wine\\X11 Driver", "Decorated", "N");
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace e2e
