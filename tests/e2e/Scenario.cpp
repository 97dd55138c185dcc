#include "tests/e2e/Scenario.h"

#include <cstring>

namespace e2e {

std::string ReplaydockExe() { return ExeFolder() + "\\Replaydock.exe"; }
std::string StandInExe() { return ExeFolder() + "\\standin_game.exe"; }

std::string RecordPath(const std::string& gameExe) { return ParentFolder(gameExe) + "\\standin-record.txt"; }

std::vector<GameStart> ReadGameStarts(const std::string& gameExe) {
  std::vector<GameStart> starts;
  const auto text = ReadBytes(RecordPath(gameExe));
  if (!text) return starts;
  std::size_t pos = 0;
  while (pos < text->size()) {
    std::size_t end = text->find("\r\n", pos);
    if (end == std::string::npos) break;  // an entry still being written
    const std::string line = text->substr(pos, end - pos);
    pos = end + 2;
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
  if (!RegDeleteTree(kAppKey)) return false;
  return !firstRunDone || RegAddString(kSettingsKey, "AlreadyRun", "Yes");
}

bool LetWineDrawTitleBars() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return true;
  return RegAddString("HKCU\\Software\\Wine\\X11 Driver", "Decorated", "N");
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace e2e
