#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"

// One demo of the library as its list shows it: what was read from it, once.
namespace rd::library {

enum class Column { Name, Game, Map, Mod, Players, Type, Length, Date, Size, Folder };
inline constexpr int kColumns = 10;
// The headers, in column order.
inline constexpr std::array<std::string_view, kColumns> kColumnNames = {
    "Name", "Game", "Map", "Mod", "Players", "Type", "Length", "Date", "Size", "Folder"};

struct Demo {
  std::string path;  // the full path, as the file system spells it
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;  // 100-ns ticks since 1601, UTC
  bool read = false;
  std::string game;     // the game's display name, another game's kind, or empty
  std::string map;      // when not read: why
  std::string mod;
  std::string players;  // the short form
  std::string type;
  double seconds = -1;
  std::string line;                  // the whole line of facts
  std::vector<std::string> roster;   // every player, spectators marked
};

// Reads the demo at path (facts from its folder's listing).
Demo Describe(FileSystem& files, const std::string& path, const FileFacts& facts);

// The text of a cell; thousands is the user's group separator.
std::string Cell(const Demo& demo, Column column, std::string_view thousands = ",");
// "2026-12-09 13:45" (UTC) from 100-ns ticks since 1601.
std::string DateText(std::uint64_t writeTime);
// The size in whole kilobytes, rounded up, grouped: "1,234 KB".
std::string SizeText(std::uint64_t bytes, std::string_view thousands);
// A count grouped by thousands: "12,345".
std::string Grouped(std::uint64_t number, std::string_view thousands);

std::string_view NameOf(std::string_view path);
std::string_view FolderOf(std::string_view path);

}  // namespace rd::library
