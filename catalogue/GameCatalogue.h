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
  // The later versions' extensions. Their demos are staged under their own extension and
  // played by that name: an engine asked for the bare name may find an older extension first.
  std::vector<std::string_view> laterExtensions;
};

// In catalogue order: Half-Life, Quake 3 Arena, Return To Castle Wolfenstein.
std::span<const Game> Games();
// The game whose display name is exactly this text, or null.
const Game* FindByName(std::string_view displayName);
// The game one of whose extensions ends this file name (letter case ignored), or null.
const Game* FindByExtension(std::string_view fileName);
// The original extension, then the later ones.
std::vector<std::string_view> Extensions(const Game& game);
// Whether one of the game's extensions ends this file name (letter case ignored).
bool EndsWithExtensionOf(const Game& game, std::string_view fileName);
// The game's extension that ends this file name, else its original one: the staged demo's.
std::string_view StagedExtension(const Game& game, std::string_view fileName);

// The demo folder below the executable's folder: "\" + mod, or the game's fixed folder.
std::string DemoFolder(const Game& game, std::string_view exeFolder, std::string_view mod);
// "replaydock" + the extension (empty: the original one).
std::string StagedName(const Game& game, std::string_view extension = {});
// The staged demo's full path.
std::string StagedPath(const Game& game, std::string_view exeFolder, std::string_view mod,
                       std::string_view extension = {});
// The parameter string: mod option, play option, speed option, each with its leading space.
// A staged demo of a later extension is played by its whole name.
std::string Parameters(const Game& game, std::string_view mod, std::string_view speed,
                       std::string_view extension = {});

// The Settings key and the values kept in it.
inline constexpr std::string_view SettingsRoot = "HKCU";
inline constexpr std::string_view SettingsKey = "Software\\Tessaway\\Replaydock\\Settings";
inline constexpr std::string_view DefaultGameValue = "DefaultGame";
inline constexpr std::string_view DefaultGameDefault = "Half-Life";
inline constexpr std::string_view LastFilenameValue = "LastFilename";
inline constexpr std::string_view LastFilenameDefault = "";
inline constexpr std::string_view AlreadyRunValue = "AlreadyRun";
inline constexpr std::string_view AlreadyRunDefault = "No";

// Half-Life's own screen resolution values, written before a launch. The engine reads the
// Screen pair; the EngineMode pair is kept for what may rely on it.
inline constexpr std::string_view EngineKey = "Software\\Valve\\Half-Life\\Settings";
inline constexpr std::string_view EngineModeWidthValue = "EngineModeW";
inline constexpr std::string_view EngineModeHeightValue = "EngineModeH";
inline constexpr std::string_view ScreenWidthValue = "ScreenWidth";
inline constexpr std::string_view ScreenHeightValue = "ScreenHeight";

// The file-type registration.
inline constexpr std::string_view ProgId = "RD.Demo";
inline constexpr std::string_view FileTypeDescription = "Replaydock Demo";
inline constexpr std::string_view OpenVerb = "Open";
// The verb on every demo type, whichever program opens it: plays the demo at once.
inline constexpr std::string_view PlayVerb = "Replaydock.Play";
inline constexpr std::string_view PlayVerbText = "Play with Replaydock";
// The extensions in the order they are registered: the original ones, then the later ones.
std::vector<std::string_view> RegistrationOrder();

}  // namespace rd::catalogue
