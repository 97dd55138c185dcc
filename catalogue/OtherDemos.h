#pragma once
#include <string_view>

// Demos of games Replaydock does not play, so that they are named for what they are and never
// taken for one of its own games' demos.
namespace rd::catalogue {

// The Source engine's header magic (Counter-Strike: Source, Team Fortress 2, Counter-Strike:
// Global Offensive and the rest share .dem with Half-Life) and Counter-Strike 2's.
inline constexpr std::string_view SourceMagic{"HL2DEMO\0", 8};
inline constexpr std::string_view Source2Magic{"PBDEMS2\0", 8};
inline constexpr std::string_view Source2Kind = "Counter-Strike 2";
// The game a Source demo's game folder names; a plain engine name for folders not listed.
std::string_view SourceKind(std::string_view gameFolder);

// Quake 3 engine games whose demos are told by the extension: the kind, or empty.
std::string_view KindByExtension(std::string_view fileName);
// Enemy Territory demos renamed to another extension: their server info gives them away.
inline constexpr std::string_view EnemyTerritoryKind = "Wolfenstein: Enemy Territory";
bool IsEnemyTerritory(std::string_view gameName, std::string_view version);
// Early Quake 3 versions wrote their messages without the code later versions use: their
// content cannot be read like the others'.
bool IsUncoded(std::string_view fileName);

// What the line says after the kind (and what was read of it).
inline constexpr std::string_view NotPlayedHere =
    "Replaydock plays Half-Life, Quake 3 Arena and Return To Castle Wolfenstein demos.";

}  // namespace rd::catalogue
