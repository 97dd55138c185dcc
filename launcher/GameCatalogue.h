#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The three supported games and every constant that depends on the game. Games are told
// apart only by their display names, compared exactly.
namespace rd::catalogue {

struct Game {
  std::string_view displayName;
  std::string_view extension;         // compared case-insensitively with a file name's end
  // Recognised only from the name of an existing file, not from the typed text alone.
  bool detectedFromExistingFile;
  std::string_view locationValue;     // setting holding the executable location ("S")
  std::string_view defaultLocation;   // used when that setting is absent
  std::string_view modValue;          // setting holding the last mod ("S")
  std::string_view defaultMod;
  std::vector<std::string_view> mods;  // suggestions, in the order they are added
  // Appended to the executable's folder. The Half-Life folder is the mod's own ("\" + mod)
  // and is never created; the others are created before a copy when missing.
  bool demoFolderIsMod;
  std::string_view demoFolder;        // fixed folder ("\baseq3\Demos"), when not the mod's
  std::string_view stagedName;        // "replaydock" + extension
  std::string_view modOptionPrefix;   // followed by the mod text; left out for an empty mod
  std::string_view playOption;
  bool passesSpeed;                   // " " + speed text after the play option
  bool speedAndResolutionEnabled;     // the main window's speed and resolution boxes
  int registrationOrder;              // 1 = registered first
};

// In catalogue order: Half-Life, Quake 3 Arena, Return To Castle Wolfenstein.
std::span<const Game> Games();
// The game whose display name is exactly this text, or null.
const Game* FindByName(std::string_view displayName);
// The game whose extension ends this file name (letter case ignored), or null.
const Game* FindByExtension(std::string_view fileName);

// The demo folder below the executable's folder: "\" + mod, or the game's fixed folder.
std::string DemoFolder(const Game& game, std::string_view exeFolder, std::string_view mod);
// The staged demo's full path.
std::string StagedPath(const Game& game, std::string_view exeFolder, std::string_view mod);
// The parameter string: mod option, play option, speed option, each with its leading space.
std::string Parameters(const Game& game, std::string_view mod, std::string_view speed);

// The Settings key and the values kept in it.
inline constexpr std::string_view SettingsRoot = "HKCU";
inline constexpr std::string_view SettingsKey = "Software\\Tessaway\\Replaydock\\Settings";
inline constexpr std::string_view DefaultGameValue = "DefaultGame";
inline constexpr std::string_view DefaultGameDefault = "Half-Life";
inline constexpr std::string_view LastFilenameValue = "LastFilename";
inline constexpr std::string_view LastFilenameDefault = "";
inline constexpr std::string_view AlreadyRunValue = "AlreadyRun";
inline constexpr std::string_view AlreadyRunDefault = "No";

// Half-Life's own screen resolution values, written before a launch.
inline constexpr std::string_view EngineKey = "Software\\Valve\\Half-Life\\Settings";
inline constexpr std::string_view EngineModeWidthValue = "EngineModeW";
inline constexpr std::string_view EngineModeHeightValue = "EngineModeH";

// The file-type registration.
inline constexpr std::string_view ProgId = "RD.Demo";
inline constexpr std::string_view FileTypeDescription = "Replaydock Demo";
inline constexpr std::string_view OpenVerb = "Open";
// The extensions in the order they are registered.
std::vector<std::string_view> RegistrationOrder();

}  // namespace rd::catalogue
