#include "library/LibraryDemo.h"

#include <cstdio>

#include "demo/DemoReader.h"
#include "demo/DemoSummary.h"

namespace rd::library {

Demo Describe(FileSystem& files, const std::string& path, const FileFacts& facts) {
  Demo demo;
  demo.path = path;
  demo.size = facts.size;
  demo.writeTime = facts.writeTime;
  // The listing's size saves asking the file system again.
  const demo::DemoInfo info = demo::ReadDemo(files, path, facts.size);
  demo.read = info.read;
  demo.line = summary::Line(info);
  if (!info.read) {
    demo.map = info.reason;
    return demo;
  }
  const catalogue::Game* named = catalogue::FindByExtension(path);
  if (const catalogue::Game* game = summary::GameOf(info, named)) {
    demo.game = std::string(game->displayName);
  } else {
    demo.game = info.kind;
  }
  demo.map = info.map;
  demo.mod = info.mod;
  demo.players = summary::Players(info);
  demo.type = summary::GameType(info);
  demo.seconds = info.seconds;
  for (const demo::Player& player : info.players) {
    demo.roster.push_back(player.spectator ? player.name + " (spectator)" : player.name);
  }
  return demo;
}

std::string_view NameOf(std::string_view path) {
  const auto cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view FolderOf(std::string_view path) {
  const auto cut = path.find_last_of('\\');
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

std::string Grouped(std::uint64_t number, std::string_view thousands) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), thousands);
  }
  return digits;
}

std::string SizeText(std::uint64_t bytes, std::string_view thousands) {
  return Grouped((bytes + 1023) / 1024, thousands) + " KB";
}

std::string DateText(std::uint64_t writeTime) {
  if (writeTime == 0) return {};
  // Days since 1601-01-01, then the civil date (proleptic Gregorian).
  const std::uint64_t minutes = writeTime / 600000000ULL;
  std::int64_t days = static_cast<std::int64_t>(minutes / 1440) - 134774;  // to 1970-01-01
  const int minuteOfDay = static_cast<int>(minutes % 1440);
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day,
                minuteOfDay / 60, minuteOfDay % 60);
  return text;
}

std::string Cell(const Demo& demo, Column column, std::string_view thousands) {
  switch (column) {
    case Column::Name: return std::string(NameOf(demo.path));
    case Column::Game: return demo.game;
    case Column::Map: return demo.map;
    case Column::Mod: return demo.mod;
    case Column::Players: return demo.players;
    case Column::Type: return demo.type;
    case Column::Length: return summary::Clock(demo.seconds);
    case Column::Date: return DateText(demo.writeTime);
    case Column::Size: return SizeText(demo.size, thousands);
    case Column::Folder: return std::string(FolderOf(demo.path));
  }
  return {};
}

}  // namespace rd::library
