#include "games/GameFinder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <set>

#include "games/KeyValues.h"
#include "catalogue/GameCatalogue.h"
#include "util/Text.h"

namespace rd::games {
namespace {

// A value under HKLM naming a game's folder or executable; read in the 32-bit view, where
// 32-bit installers wrote it, then in the 64-bit one.
struct RegistryPlace {
  std::string_view key;
  std::string_view value;
};

struct GameFacts {
  std::string_view displayName;
  std::string_view exeName;
  std::vector<std::string_view> steamAppIds;  // any of them names the folder
  std::string_view steamFolder;               // below steamapps\common, when no manifest says
  std::vector<RegistryPlace> places;          // GOG first, then the retail installers
};

// Counter-Strike (10) and Day of Defeat (30), the Half-Life mods offered, install into
// Half-Life's own folder. GOG sells Quake III and Return to Castle Wolfenstein only; its
// "exe" may name the single-player executable, so the folder is taken from it too.
const std::array<GameFacts, 3> kFacts{{
    {"Half-Life",
     "hl.exe",
     {"70", "10", "30"},
     "Half-Life",
     {{"SOFTWARE\\Valve\\Half-Life", "InstallPath"},
      {"SOFTWARE\\Sierra OnLine\\Setup\\HALFLIFE", "Directory"}}},
    {"Quake 3 Arena",
     "quake3.exe",
     {"2200"},
     "Quake 3 Arena",
     {{"SOFTWARE\\GOG.com\\Games\\1441704920", "exe"},
      {"SOFTWARE\\GOG.com\\Games\\1441704920", "path"},
      {"SOFTWARE\\Id\\Quake III Arena", "InstallPath"}}},
    {"Return To Castle Wolfenstein",
     "WolfMP.exe",
     {"9010"},
     "Return to Castle Wolfenstein",
     {{"SOFTWARE\\GOG.com\\Games\\1441704976", "exe"},
      {"SOFTWARE\\GOG.com\\Games\\1441704976", "path"},
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Return to Castle Wolfenstein",
       "DisplayIcon"},
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Return to Castle Wolfenstein",
       "InstallLocation"}}},
}};

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::uint32_t kMaxValueBytes = 32 * 1024;
constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::size_t kMaxFileBytes = 1024 * 1024;  // Steam's files are a few kilobytes

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         util::EqualsNoCase(text.substr(text.size() - end.size()), end);
}

std::string_view Leaf(std::string_view path) {
  const auto cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view Parent(std::string_view path) {
  const auto cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

// An installdir taken from a manifest must stay one folder below steamapps\common.
bool IsPlainFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool IsNumber(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string_view Unquoted(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

class Finder {
 public:
  Finder(Registry& registry, FileSystem& files) : registry_(registry), files_(files) {}

  std::vector<FoundGame> Run() {
    for (const std::string& root : SteamRoots()) AddLibraryTree(root);
    std::vector<FoundGame> found;
    for (const catalogue::Game& game : catalogue::Games()) {
      FoundGame entry{std::string(game.displayName), {}};
      for (const GameFacts& facts : kFacts) {
        if (facts.displayName != game.displayName) continue;
        FindSteamCopies(facts, entry.executables);
        FindRegisteredCopies(facts, entry.executables);
        Verify(std::string(game.defaultLocation), facts.exeName, entry.executables);
      }
      found.push_back(std::move(entry));
    }
    return found;
  }

 private:
  struct Library {
    std::string steamapps;  // the library's steamapps folder, as the file system spells it
  };

  std::optional<std::string> ReadText(RegKey root, std::string_view path, std::string_view name,
                                      std::uint32_t view) {
    RegKey key = 0;
    if (registry_.OpenKey(root, std::string(path), regaccess::QueryValue | view, key) != 0) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> data(512);
    std::uint32_t type = 0;
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    std::int32_t status = registry_.QueryValue(key, std::string(name), &type, data.data(), size);
    if (status == 234 && size <= kMaxValueBytes) {
      data.resize(size);
      status = registry_.QueryValue(key, std::string(name), &type, data.data(), size);
    }
    registry_.CloseKey(key);
    if (status != 0 || (type != regtype::Sz && type != regtype::ExpandSz)) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()),
                     std::min<std::size_t>(size, data.size()));
    // Not always terminated; and whatever follows a zero is no part of it.
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
  }

  std::optional<std::string> ReadFile(const std::string& path) {
    std::string whole;
    for (;;) {
      std::string chunk;
      if (files_.ReadBytes(path, whole.size(), kReadChunk, chunk) != 0) return std::nullopt;
      whole += chunk;
      if (whole.size() > kMaxFileBytes) return std::nullopt;
      if (chunk.size() < kReadChunk) return whole;
    }
  }

  std::optional<KeyValue> ReadKeyValues(const std::string& path) {
    const std::optional<std::string> text = ReadFile(path);
    if (!text) return std::nullopt;
    return ParseKeyValues(*text);
  }

  // Each name as the file system spells it: SteamPath is often written in lower case.
  std::string Spelled(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return path;
    std::vector<std::string> names;
    std::string work = path;
    for (auto cut = work.find_last_of('\\'); cut != std::string::npos;
         cut = work.find_last_of('\\')) {
      const FindResult found = files_.FindEntry(work);
      if (found.status != FindStatus::Found) return path;
      names.push_back(found.name);
      work.resize(cut);
    }
    for (auto name = names.rbegin(); name != names.rend(); ++name) work += "\\" + *name;
    return work;
  }

  std::vector<std::string> SteamRoots() {
    std::vector<std::string> roots;
    if (auto path = ReadText(regroot::CurrentUser, "Software\\Valve\\Steam", "SteamPath", 0)) {
      roots.push_back(Spelled(NormalisePath(*path)));
    }
    for (const std::uint32_t view : {regaccess::View32, regaccess::View64}) {
      if (auto path =
              ReadText(regroot::LocalMachine, "SOFTWARE\\Valve\\Steam", "InstallPath", view)) {
        roots.push_back(Spelled(NormalisePath(*path)));
      }
    }
    return roots;
  }

  // A library counts only while its steamapps folder is there: Steam keeps listing
  // libraries on drives long gone.
  bool AddLibrary(const std::string& path) {
    if (path.empty() || !seenLibraries_.insert(util::ToLower(path)).second) return false;
    const std::string steamapps = path + "\\steamapps";
    const FindResult found = files_.FindEntry(steamapps);
    if (found.status != FindStatus::Found) return false;
    libraries_.push_back(Library{path + "\\" + found.name});
    return true;
  }

  // Steam's own folder, then the libraries both copies of its list name, in either form:
  // "1" "D:\\Lib" (before 2021) or "1" { "path" "D:\\Lib" ... }.
  void AddLibraryTree(const std::string& root) {
    if (!AddLibrary(root)) return;
    const std::string steamapps = libraries_.back().steamapps;
    for (const std::string& file :
         {root + "\\config\\libraryfolders.vdf", steamapps + "\\libraryfolders.vdf"}) {
      const std::optional<KeyValue> document = ReadKeyValues(file);
      const KeyValue* list = document ? document->Child("libraryfolders") : nullptr;
      if (!list || !list->isBlock) continue;
      for (const KeyValue& entry : list->children) {
        if (!IsNumber(entry.key)) continue;  // contentstatsid, TimeNextStatsReport ...
        const std::optional<std::string> path =
            entry.isBlock ? entry.Text("path") : std::optional<std::string>(entry.value);
        if (path) AddLibrary(NormalisePath(*path));
      }
    }
  }

  void FindSteamCopies(const GameFacts& facts, std::vector<std::string>& out) {
    for (const Library& library : libraries_) {
      bool manifestRead = false;
      for (const std::string_view id : facts.steamAppIds) {
        const std::optional<KeyValue> manifest =
            ReadKeyValues(library.steamapps + "\\appmanifest_" + std::string(id) + ".acf");
        const KeyValue* state = manifest ? manifest->Child("AppState") : nullptr;
        const std::optional<std::string> folder = state ? state->Text("installdir") : std::nullopt;
        if (!folder || !IsPlainFolderName(*folder)) continue;
        manifestRead = true;
        Verify(library.steamapps + "\\common\\" + *folder + "\\" + std::string(facts.exeName),
               facts.exeName, out);
      }
      if (!manifestRead) {
        Verify(library.steamapps + "\\common\\" + std::string(facts.steamFolder) + "\\" +
                   std::string(facts.exeName),
               facts.exeName, out);
      }
    }
  }

  // Steam's uninstall entries go stale when a game moves to another library: after the
  // libraries, and verified like everything else.
  void FindRegisteredCopies(const GameFacts& facts, std::vector<std::string>& out) {
    for (const std::string_view id : facts.steamAppIds) {
      FindRegisteredCopy(kUninstallKey + std::string("Steam App ") + std::string(id),
                         "InstallLocation", facts.exeName, out);
    }
    for (const RegistryPlace& place : facts.places) {
      FindRegisteredCopy(std::string(place.key), place.value, facts.exeName, out);
    }
  }

  void FindRegisteredCopy(const std::string& key, std::string_view value, std::string_view exeName,
                          std::vector<std::string>& out) {
    for (const std::uint32_t view : {regaccess::View32, regaccess::View64}) {
      const std::optional<std::string> text = ReadText(regroot::LocalMachine, key, value, view);
      if (!text) continue;
      // A folder, an executable, or an icon: "C:\Games\RTCW\WolfMP.exe,-0".
      std::string_view named = Unquoted(*text);
      const auto comma = named.rfind(',');
      if (comma != std::string_view::npos &&
          EndsWithNoCase(Unquoted(named.substr(0, comma)), ".exe")) {
        named = Unquoted(named.substr(0, comma));
      }
      const std::string path = NormalisePath(named);
      if (path.empty()) continue;
      const bool isExe = EndsWithNoCase(Leaf(path), ".exe");
      Verify((isExe ? std::string(Parent(path)) : path) + "\\" + std::string(exeName), exeName,
             out);
    }
  }

  // Kept when an ordinary file of the expected name is there, spelt as the file system
  // spells it, and not listed already.
  void Verify(const std::string& path, std::string_view exeName, std::vector<std::string>& out) {
    const FindResult found = files_.FindFile(path);
    if (found.status != FindStatus::Found || !util::EqualsNoCase(found.name, exeName)) return;
    const std::string spelled = std::string(Parent(path)) + "\\" + found.name;
    for (const std::string& known : out) {
      if (util::EqualsNoCase(known, spelled)) return;
    }
    out.push_back(spelled);
  }

  Registry& registry_;
  FileSystem& files_;
  std::vector<Library> libraries_;
  std::set<std::string> seenLibraries_;
};

}  // namespace

std::string NormalisePath(std::string_view text) {
  std::string path(Unquoted(text));
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const bool network = path.rfind("\\\\", 0) == 0;
  std::string out = network ? "\\\\" : "";
  for (std::size_t i = out.size(); i < path.size(); ++i) {
    if (path[i] == '\\' && !out.empty() && out.back() == '\\') continue;
    out += path[i];
  }
  while (out.size() > (network ? 2u : 0u) && out.back() == '\\') out.pop_back();
  const bool drive = out.size() >= 2 && out[1] == ':' &&
                     std::isalpha(static_cast<unsigned char>(out[0])) &&
                     (out.size() == 2 || out[2] == '\\');
  if (drive) {
    out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
    return out;
  }
  return network && out.size() > 2 ? out : std::string();
}

std::vector<FoundGame> FindGames(Registry& registry, FileSystem& files) {
  return Finder(registry, files).Run();
}

}  // namespace rd::games
