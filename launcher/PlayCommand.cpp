#include "launcher/PlayCommand.h"

#include <algorithm>

#include "launcher/ExeImage.h"
#include "ports/WinErrors.h"
#include "util/PathHelpers.h"
#include "util/Text.h"

namespace rd::play {
namespace {

// The leading decimal digits of a text, as a number; 0 without any. Capped so that a
// long run of digits cannot overflow.
int LeadingNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value > 100000000) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool IsSingleFolderName(std::string_view mod) {
  if (mod == "." || mod == "..") return false;
  return mod.find_first_of("\\/:*?\"<>|") == std::string_view::npos;
}

namespace {

bool SamePath(std::string_view a, std::string_view b) { return util::EqualsNoCase(a, b); }

// The engine's home folder ("%APPDATA%\Quake3"), "" when it has none or the system names
// no such folder; userRoot gets the user folder it lies in.
std::string HomeOf(Ports& ports, const catalogue::Engine& engine, std::string& userRoot) {
  if (engine.home == catalogue::HomeRoot::None) return {};
  userRoot = ports.process.UserFolderPath(engine.home == catalogue::HomeRoot::AppData
                                              ? UserFolder::RoamingAppData
                                              : UserFolder::Documents);
  return userRoot.empty() ? std::string() : userRoot + "\\" + std::string(engine.homeFolder);
}

// Where Windows keeps a virtualized program's writes to this path: the user's VirtualStore
// and the path without its drive; "" for a path that has no drive letter.
std::string VirtualStoreMirror(Ports& ports, std::string_view path) {
  const std::string local = ports.process.UserFolderPath(UserFolder::LocalAppData);
  if (local.empty() || path.size() < 3 || path[1] != ':' || path[2] != '\\') return {};
  return local + "\\VirtualStore" + std::string(path.substr(2));
}

// Makes each missing folder of path below root, which must exist.
std::uint32_t MakeFoldersBelow(Ports& ports, std::string_view root, const std::string& path) {
  for (std::size_t cut = path.find('\\', root.size() + 1);; cut = path.find('\\', cut + 1)) {
    const std::uint32_t made = ports.files.MakeFolder(path.substr(0, cut));
    if (made != 0 && made != static_cast<std::uint32_t>(winerr::AlreadyExists)) return made;
    if (cut == std::string::npos) return 0;
  }
}

// Copies the demo to a temporary file in the folder and renames it to the staged path, the
// demo staged before set aside meanwhile. refused tells a copy Windows would not allow.
std::uint32_t Place(Ports& ports, const std::string& folder, const std::string& name,
                    const std::string& demoPath, StageResult& result, bool& refused) {
  result.stagedPath = folder + "\\" + name;
  const std::string temporary = folder + "\\~" + name + ".tmp";
  std::uint32_t code = ports.files.Copy(demoPath, temporary);
  refused = code == static_cast<std::uint32_t>(winerr::AccessDenied);
  if (code == 0) {
    const std::string previous = folder + "\\~" + name + ".old";
    if (ports.files.Move(result.stagedPath, previous) == 0) result.previous = previous;
    code = ports.files.Move(temporary, result.stagedPath);
    if (code != 0 && !result.previous.empty()) {
      // Put back where the game looks; failing that it stays aside, but it stays.
      ports.files.Move(previous, result.stagedPath);
      result.previous.clear();
    }
  }
  // Whatever part of the copy was written must not stay behind.
  if (code != 0) ports.files.Remove(temporary);
  return code;
}

void RemoveOwnCopies(Ports& ports, const std::string& folder, const std::string& keep) {
  std::vector<FolderEntry> entries;
  if (ports.files.ListFolder(folder, entries) != 0) return;
  for (const FolderEntry& entry : entries) {
    const std::string path = folder + "\\" + entry.name;
    if (!entry.folder && catalogue::NameMatches("replaydock.*", entry.name) &&
        !SamePath(path, keep)) {
      ports.files.Remove(path);
    }
  }
}

}  // namespace

std::vector<std::string> SearchedFolders(Ports& ports, const catalogue::Game& game,
                                         std::string_view exePath, std::string_view mod,
                                         bool virtualized) {
  const std::string exeFolder = PathHelpers::GetParentFolder(exePath);
  std::vector<std::string> folders;
  const auto add = [&](const std::string& folder, bool underGame) {
    const std::string mirror = virtualized && underGame ? VirtualStoreMirror(ports, folder) : "";
    if (!mirror.empty()) folders.push_back(mirror);
    folders.push_back(folder);
  };
  if (game.demoFolderIsMod) {
    if (IsSingleFolderName(mod)) add(catalogue::DemoFolder(game, exeFolder, mod), true);
    return folders;
  }
  const catalogue::Engine& engine = catalogue::EngineOf(game, exePath);
  std::string userRoot;
  const std::string home = HomeOf(ports, engine, userRoot);
  const bool hasMod =
      !mod.empty() && IsSingleFolderName(mod) && !util::EqualsNoCase(mod, engine.baseFolder);
  if (hasMod) {
    if (!home.empty()) add(home + "\\" + std::string(mod) + "\\demos", false);
    add(exeFolder + "\\" + std::string(mod) + "\\demos", true);
  }
  if (!home.empty()) add(home + "\\" + std::string(engine.baseFolder) + "\\demos", false);
  add(catalogue::DemoFolder(game, exeFolder, ""), true);
  return folders;
}

StageResult StageDemo(Ports& ports, const catalogue::Game& game, std::string_view exePath,
                      std::string_view mod, const std::string& demoPath) {
  StageResult result;
  const std::string exeFolder = PathHelpers::GetParentFolder(exePath);
  const std::string_view extension = catalogue::StagedExtension(game, demoPath);
  const std::string name = catalogue::StagedName(game, extension);
  result.stagedPath = catalogue::StagedPath(game, exeFolder, mod, extension);
  const catalogue::Engine& engine = catalogue::EngineOf(game, exePath);
  std::string userRoot;
  const std::string home = game.demoFolderIsMod ? "" : HomeOf(ports, engine, userRoot);
  if ((game.demoFolderIsMod || !home.empty()) && !IsSingleFolderName(mod)) {
    result.error = winerr::InvalidName;  // what Windows itself answers for such a name
    return result;
  }
  const bool baseOnly = mod.empty() || util::EqualsNoCase(mod, engine.baseFolder);
  std::string folder =
      home.empty() ? catalogue::DemoFolder(game, exeFolder, mod)
                   : home + "\\" + std::string(baseOnly ? engine.baseFolder : mod) + "\\demos";
  result.stagedPath = folder + "\\" + name;
  std::uint32_t code = 0;
  if (!home.empty()) {
    code = MakeFoldersBelow(ports, userRoot, folder);
  } else if (!game.demoFolderIsMod) {
    code = ports.files.MakeFolder(folder);
    if (code == static_cast<std::uint32_t>(winerr::AlreadyExists)) code = 0;
  }
  bool refused = code == static_cast<std::uint32_t>(winerr::AccessDenied);
  if (code == 0) {
    code = Place(ports, folder, name, demoPath, result, refused);
  }
  // Windows said no. A game it virtualizes reads the user's VirtualStore first, so the
  // demo may go there; any other game would never see it.
  bool virtualized = false;
  if (refused && home.empty()) {
    virtualized = WindowsVirtualizes(ports.files, std::string(exePath));
    const std::string mirror = virtualized ? VirtualStoreMirror(ports, folder) : "";
    if (mirror.empty()) {
      result.refusedFolder = folder;
    } else {
      code = MakeFoldersBelow(ports, ports.process.UserFolderPath(UserFolder::LocalAppData),
                              mirror);
      if (code == 0) code = Place(ports, mirror, name, demoPath, result, refused);
      if (code != 0) result.refusedFolder = folder;
    }
  } else if (home.empty() && code == 0) {
    virtualized = WindowsVirtualizes(ports.files, std::string(exePath));
  }
  if (code != 0) {
    result.error = code;
    return result;
  }
  result.staged = true;
  for (const std::string& searched : SearchedFolders(ports, game, exePath, mod, virtualized)) {
    RemoveOwnCopies(ports, searched, result.stagedPath);
  }
  return result;
}

namespace {

// A folder holding what an id Tech 3 mod consists of; Half-Life's with its liblist.gam.
bool HoldsMod(Ports& ports, const catalogue::Game& game, const std::string& folder) {
  std::vector<FolderEntry> entries;
  if (ports.files.ListFolder(folder, entries) != 0) return false;
  for (const FolderEntry& entry : entries) {
    if (game.demoFolderIsMod ? !entry.folder && util::EqualsNoCase(entry.name, "liblist.gam")
                             : (entry.folder && util::EqualsNoCase(entry.name, "vm")) ||
                                   (!entry.folder && catalogue::NameMatches("*.pk3", entry.name))) {
      return true;
    }
  }
  return false;
}

// The folders mods are installed in: the game's, then (id Tech 3) the engine's home.
std::vector<std::string> ModRoots(Ports& ports, const catalogue::Game& game,
                                  std::string_view exePath) {
  std::vector<std::string> roots{PathHelpers::GetParentFolder(exePath)};
  std::string userRoot;
  const std::string home =
      game.demoFolderIsMod ? "" : HomeOf(ports, catalogue::EngineOf(game, exePath), userRoot);
  if (!home.empty()) roots.push_back(home);
  return roots;
}

constexpr const char* kSteamKey = "Software\\Valve\\Steam";

// A value of HKCU's Steam key: its text, or its number as text; "" when absent.
std::string SteamValue(Ports& ports, const std::string& subKey, const std::string& name) {
  RegKey key = 0;
  const std::string path = subKey.empty() ? kSteamKey : std::string(kSteamKey) + "\\" + subKey;
  if (ports.registry.OpenKey(regroot::CurrentUser, path, regaccess::QueryValue, key) != 0) return {};
  std::uint8_t data[1024] = {};
  std::uint32_t size = sizeof data - 1, type = 0;
  const std::int32_t code = ports.registry.QueryValue(key, name, &type, data, size);
  ports.registry.CloseKey(key);
  if (code != 0) return {};
  if (type == regtype::Dword && size == 4) {
    return std::to_string(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
  }
  if (type != regtype::Sz && type != regtype::ExpandSz) return {};
  std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, sizeof data - 1));
  return text.substr(0, text.find('\0'));
}

}  // namespace

bool ModInstalled(Ports& ports, const catalogue::Game& game, std::string_view exePath,
                  std::string_view mod) {
  const catalogue::Engine& engine = catalogue::EngineOf(game, exePath);
  if (mod.empty() || !IsSingleFolderName(mod) ||
      (!game.demoFolderIsMod && util::EqualsNoCase(mod, engine.baseFolder))) {
    return true;
  }
  for (const std::string& root : ModRoots(ports, game, exePath)) {
    if (HoldsMod(ports, game, root + "\\" + std::string(mod))) return true;
  }
  return false;
}

std::vector<std::string> InstalledMods(Ports& ports, const catalogue::Game& game,
                                       std::string_view exePath) {
  const catalogue::Engine& engine = catalogue::EngineOf(game, exePath);
  std::vector<std::string> mods;
  for (const std::string& root : ModRoots(ports, game, exePath)) {
    std::vector<FolderEntry> entries;
    if (ports.files.ListFolder(root, entries) != 0) continue;
    for (const FolderEntry& entry : entries) {
      const bool known = std::any_of(mods.begin(), mods.end(), [&](const std::string& m) {
        return util::EqualsNoCase(m, entry.name);
      });
      if (entry.folder && !known && !entry.link &&
          (game.demoFolderIsMod || !util::EqualsNoCase(entry.name, engine.baseFolder)) &&
          HoldsMod(ports, game, root + "\\" + entry.name)) {
        mods.push_back(entry.name);
      }
    }
  }
  return mods;
}

std::string SteamToStart(Ports& ports, const catalogue::Game& game, std::string_view exePath) {
  if (!game.demoFolderIsMod) return {};
  const std::string lower = util::ToLower(exePath);
  const auto common = lower.find("\\steamapps\\common\\");
  if (common == std::string::npos) return {};
  const std::string pid = SteamValue(ports, "ActiveProcess", "pid");
  std::uint64_t id = 0;
  for (const char c : pid) id = c >= '0' && c <= '9' && id < (1ull << 32) ? id * 10 + (c - '0') : 1ull << 40;
  if (id != 0 && id < (1ull << 32) && ports.process.ProcessAlive(static_cast<std::uint32_t>(id))) {
    return {};
  }
  // Steam's own folder; a library of its own holds no steam.exe but its first one does.
  std::string steamPath = SteamValue(ports, "", "SteamPath");
  std::replace(steamPath.begin(), steamPath.end(), '/', '\\');
  for (const std::string& folder : {steamPath, std::string(exePath.substr(0, common))}) {
    if (folder.empty()) continue;
    const std::string steam = folder + "\\steam.exe";
    if (ports.files.FindFile(steam).status == FindStatus::Found) return steam;
  }
  return {};
}

std::string SteamParameters(std::string_view mod, std::string_view gameParameters) {
  return "-applaunch " + std::to_string(catalogue::SteamAppId(mod)) + std::string(gameParameters);
}

void ReleasePrevious(Ports& ports, const StageResult& staged) {
  if (!staged.previous.empty()) ports.files.Remove(staged.previous);
}

Resolution ParseResolution(std::string_view text) {
  Resolution size;
  const auto x = text.find('x');
  if (x == std::string_view::npos) {
    size.width = LeadingNumber(text);
    return size;
  }
  size.width = LeadingNumber(text.substr(0, x));
  size.height = LeadingNumber(text.substr(x + 1));
  return size;
}

}  // namespace rd::play
