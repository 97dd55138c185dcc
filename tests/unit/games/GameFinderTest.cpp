#include <gtest/gtest.h>

#include "games/GameFinder.h"
#include "tests/fakes/FakePorts.h"

namespace rd::games {
namespace {

using Lines = std::vector<std::string>;

// The machine, one line per fact: "HKCU\key|value=text" a registry text, "D:\path=text" a
// file holding the text, "D:\path" an empty file. Answers "game: executable" lines.
Lines Found(const Lines& machine, const std::function<void(fakes::FakePlatform&)>& faults = {}) {
  fakes::FakePlatform fp;
  for (const std::string& line : machine) {
    const auto eq = line.find('='), bar = line.find('|');
    const std::string head = line.substr(0, eq), text = eq == line.npos ? "" : line.substr(eq + 1);
    if (head.rfind("HK", 0) == 0) {
      fp.registry.PutText(head[2] == 'C' ? regroot::CurrentUser : regroot::LocalMachine,
                          head.substr(5, bar - 5), head.substr(bar + 1), text);
    } else {
      fp.files.AddDrive(head[0]);
      fp.files.AddFile(head, text);
    }
  }
  if (faults) faults(fp);
  Lines out;
  for (const FoundGame& game : FindGames(fp.registry, fp.files)) {
    for (const std::string& exe : game.executables) out.push_back(game.displayName + ": " + exe);
  }
  EXPECT_EQ(fp.registry.OpenHandles(), 0);
  return out;
}

std::string Manifest(const std::string& steamapps, const std::string& id, const std::string& dir) {
  return steamapps + "\\appmanifest_" + id + ".acf=\"AppState\" { \"installdir\" \"" + dir + "\" }";
}

const std::string kSteamPath = "HKCU\\Software\\Valve\\Steam|SteamPath=";
const std::string kApps = "C:\\Program Files (x86)\\Steam\\steamapps";
const std::string kHl = kApps + "\\common\\Half-Life\\hl.exe";
const std::string kList = kApps + "\\libraryfolders.vdf=";
// D:\Игры\SteamLibrary\steamapps
const std::string kLib = "D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\SteamLibrary\\steamapps";
const std::string kUninstall =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(GameFinder, FindsEachGameWhereverItsSourcesPointPassingOverWhatCannotBeRead) {
  using Faults = std::function<void(fakes::FakePlatform&)>;
  const std::string q3 = "\\common\\Quake 3 Arena\\quake3.exe", gog = "HKLM\\SOFTWARE\\WOW6432Node\\";
  // clang-format off
  const struct { const char* name; Lines machine, found; Faults faults = nullptr; } cases[] = {
      {"SteamPath in lower case with forward slashes; the current library list: a library on "
       "another drive, in a non-ASCII folder",
       {kSteamPath + "c:/program files (x86)/steam", Manifest(kApps, "70", "Half-Life"), kHl, kList +
        R"("libraryfolders" { "contentstatsid" "-5" "0" { "path" "C:\\Program Files (x86)\\Steam" } "1" { "path" "D:\\)"
        "\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B" R"(\\SteamLibrary" "apps" { "2200" "1" } } })",
        Manifest(kLib, "2200", "Quake 3 Arena"), kLib + q3},
       {"Half-Life: " + kHl, "Quake 3 Arena: " + kLib + q3}},
      {"old library list; a drive gone, a library moved, a manifest missing: the usual folder",
       {kSteamPath + "C:\\Program Files (x86)\\Steam",
        kList + R"("LibraryFolders" { "1" "F:\\Gone" "2" "C:\\Moved" "3" "E:\\Steam Games" })",
        "E:\\Steam Games\\steamapps\\common\\Return to Castle Wolfenstein\\WolfMP.exe"},
       {"Return To Castle Wolfenstein: E:\\Steam Games\\steamapps\\common\\Return to Castle Wolfenstein\\WolfMP.exe"}},
      {"a manifest's folder wins over the usual one; one leaving common counts as none",
       {kSteamPath + "C:/Program Files (x86)/Steam", Manifest(kApps, "10", "HL Copy"), Manifest(kApps, "2200",
        "..\\..\\Elsewhere"), kApps + "\\common\\HL Copy\\HL.EXE", kHl, kApps + q3, "C:\\Elsewhere\\quake3.exe"},
       {"Half-Life: " + kApps + "\\common\\HL Copy\\HL.EXE", "Quake 3 Arena: " + kApps + q3}},
      {"Steam's key in the 32-bit view; a damaged list leaves Steam's folder; its uninstall key",
       {gog + "Valve\\Steam|InstallPath=C:\\Program Files (x86)\\Steam\\", kList + R"("libraryfolders" { "1" { "path" "D:\\Lib" )",
        kHl, kUninstall + "Steam App 2200|InstallLocation=D:\\Old\\Quake 3 Arena", "D:\\Old\\Quake 3 Arena\\quake3.exe"},
       {"Half-Life: " + kHl, "Quake 3 Arena: D:\\Old\\Quake 3 Arena\\quake3.exe"}},
      {"GOG in the 32-bit view, the retail installers, the default; each copy once, best first",
       {gog + "GOG.com\\Games\\1441704976|exe=D:\\GOG\\RTCW\\WolfSP.exe", gog + "GOG.com\\Games\\1441704920|path=D:\\GOG\\Quake III\\",
        gog + "Id\\Quake III Arena|InstallPath=D:\\GOG\\Quake III", gog + "Sierra OnLine\\Setup\\HALFLIFE|Directory=D:\\Sierra\\HL",
        kUninstall + "Return to Castle Wolfenstein|DisplayIcon=\"E:\\RTCW\\WolfMP.exe\",-0", "D:\\GOG\\RTCW\\WolfMP.exe",
        "D:\\GOG\\Quake III\\quake3.exe", "D:\\Sierra\\HL\\hl.exe", "E:\\RTCW\\wolfmp.exe", "C:\\Program Files\\Quake III Arena\\quake3.exe"},
       {"Half-Life: D:\\Sierra\\HL\\hl.exe", "Quake 3 Arena: D:\\GOG\\Quake III\\quake3.exe",
        "Quake 3 Arena: C:\\Program Files\\Quake III Arena\\quake3.exe", "Return To Castle Wolfenstein: D:\\GOG\\RTCW\\WolfMP.exe",
        "Return To Castle Wolfenstein: E:\\RTCW\\wolfmp.exe"}},
      {"a refused key, an unreadable list, a drive not ready: passed over",
       {kSteamPath + "D:\\Other", "D:\\Other\\steamapps\\common\\Half-Life\\hl.exe",
        "HKLM\\SOFTWARE\\Valve\\Steam|InstallPath=C:\\Program Files (x86)\\Steam", kHl,
        "C:\\Program Files (x86)\\Steam\\config\\libraryfolders.vdf=\"libraryfolders\" { \"1\" \"E:\\\\Lib\" }",
        kList + R"("libraryfolders" { "1" "D:\\Lib" })", "D:\\Lib\\steamapps" + q3},
       {"Half-Life: " + kHl}, [](fakes::FakePlatform& fp) {
         fp.files.AddDrive('E', false), fp.files.FailNext(fakes::FakeFileSystem::Op::ReadBytes, 5, 1);
         fp.registry.FailUnder(fakes::FakeRegistry::Op::Open, "HKCU\\Software\\Valve", 5);
       }},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(Found(c.machine, c.faults), c.found) << c.name;
}

}  // namespace
}  // namespace rd::games
