#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "library/Rows.h"
#include "util/Text.h"

namespace rd::library {
namespace {

using Names = std::vector<std::string>;

Demo Make(const std::string& path, const std::string& game, const std::string& map,
          const std::string& mod, const std::string& players, double seconds, std::uint64_t size,
          std::uint64_t time) {
  Demo d;
  d.path = path;
  d.read = !map.empty();
  d.game = game;
  d.map = map;
  d.mod = mod;
  d.players = players;
  d.seconds = seconds;
  d.size = size;
  d.writeTime = time;
  return d;
}

Rows Library() {
  Rows rows([](const std::string& t) { return util::ToLower(t); });
  rows.Put(
      Make("C:\\A\\duel.dm_68", "Quake 3 Arena", "q3dm17", "cpma", "Rat vs Cooller", 600, 5000, 3));
  rows.Put(Make("C:\\B\\Final.dem", "Half-Life", "crossfire", "cstrike", "", 7.5, 9000, 1));
  rows.Put(Make("C:\\A\\base.dm_60", "Return To Castle Wolfenstein", "mp_beach", "", "x, y", 60,
                100, 2));
  rows.Put(Make("C:\\C\\same.dm_68", "Quake 3 Arena", "q3dm17", "osp", "Z vs Q", 600, 5000, 3));
  rows.Refresh();
  return rows;
}

Names Shown(const Rows& rows) {
  Names names;
  for (int i = 0; i < rows.Shown(); ++i) names.push_back(std::string(NameOf(rows.At(i).path)));
  return names;
}

// Every word must be found in some column, letter case ignored, in any order; the same demo
// put again replaces itself.
TEST(Rows, EveryWordMustMatchSomeColumn) {
  Rows rows = Library();
  const std::pair<const char*, Names> cases[] = {
      {"", {"base.dm_60", "duel.dm_68", "Final.dem", "same.dm_68"}},
      {"Q3DM17", {"duel.dm_68", "same.dm_68"}},
      {"q3dm17 cpma", {"duel.dm_68"}},
      {"  cooller   q3dm17 ", {"duel.dm_68"}},
      {"cpma osp", {}},
      {"cstrike", {"Final.dem"}},
      {"c:\\a", {"base.dm_60", "duel.dm_68"}},
      {"wolfenstein", {"base.dm_60"}},
      {"10:00", {"duel.dm_68", "same.dm_68"}},
      {"dm17q", {}},
      {"FINAL.D", {"Final.dem"}},
      {"a\\duel", {}},  // the folder and the name are two columns
      {"\\b", {"Final.dem"}}};
  for (const auto& [query, expected] : cases) {
    rows.SetQuery(query);
    rows.Refresh();
    EXPECT_EQ(Shown(rows), expected) << query;
  }
  rows.SetQuery("");
  rows.Put(Make("c:\\a\\DUEL.dm_68", "Quake 3 Arena", "q3tourney2", "", "", 1, 1, 9));
  rows.Refresh();
  EXPECT_EQ(rows.Total(), 4);
  EXPECT_EQ(rows.At(rows.RowOf("C:\\A\\duel.dm_68")).map, "q3tourney2");
  rows.KeepOnly({"C:\\B\\final.dem"});
  rows.Refresh();
  EXPECT_EQ(Shown(rows), (Names{"Final.dem"}));
}

// Each column sorts by its own kind of value (numbers as numbers), either way; rows equal
// in the column keep the path's order whichever way.
TEST(Rows, EachColumnSortsByItsValueWithThePathBreakingTies) {
  Rows rows = Library();
  const std::tuple<Column, bool, Names> cases[] = {
      {Column::Name, false, {"base.dm_60", "duel.dm_68", "Final.dem", "same.dm_68"}},
      {Column::Name, true, {"same.dm_68", "Final.dem", "duel.dm_68", "base.dm_60"}},
      {Column::Game, false, {"Final.dem", "duel.dm_68", "same.dm_68", "base.dm_60"}},
      {Column::Map, false, {"Final.dem", "base.dm_60", "duel.dm_68", "same.dm_68"}},
      {Column::Map, true, {"same.dm_68", "duel.dm_68", "base.dm_60", "Final.dem"}},
      {Column::Mod, false, {"base.dm_60", "duel.dm_68", "Final.dem", "same.dm_68"}},
      {Column::Players, false, {"Final.dem", "duel.dm_68", "base.dm_60", "same.dm_68"}},
      {Column::Length, false, {"Final.dem", "base.dm_60", "duel.dm_68", "same.dm_68"}},
      {Column::Date, true, {"same.dm_68", "duel.dm_68", "base.dm_60", "Final.dem"}},
      {Column::Size, false, {"base.dm_60", "duel.dm_68", "same.dm_68", "Final.dem"}},
      {Column::Folder, true, {"same.dm_68", "Final.dem", "duel.dm_68", "base.dm_60"}}};
  for (const auto& [column, descending, expected] : cases) {
    rows.SetOrder(column, descending);
    rows.Refresh();
    EXPECT_EQ(Shown(rows), expected) << static_cast<int>(column) << descending;
  }
  // Rows arriving later take their places among the sorted ones, as a scan streams them in.
  rows.SetOrder(Column::Size, false);
  rows.Refresh();
  rows.Put(Make("C:\\D\\mid.dm_68", "", "m", "", "", 1, 6000, 0));
  rows.Put(Make("C:\\D\\big.dm_68", "", "m", "", "", 1, 99999, 0));
  rows.Put(Make("C:\\D\\tiny.dm_68", "", "m", "", "", 1, 1, 0));
  rows.Refresh();
  EXPECT_EQ(Shown(rows), (Names{"tiny.dm_68", "base.dm_60", "duel.dm_68", "same.dm_68", "mid.dm_68",
                                "Final.dem", "big.dm_68"}));
}

// A row gives back the demo it was given, whole; any of thousands is found by its path in
// any letter case, and only the same spelling with the same facts counts as unchanged.
TEST(Rows, KeepEachDemoWholeAndFindItByPath) {
  Rows rows([](const std::string& t) { return util::ToLower(t); }, ".");
  Demo d = Make("D:\\Демо\\Ünïcode duel.dm_68", "Quake 3 Arena", "q3dm6", "osp", "A vs B", 61.25,
                1536 * 1024 + 1, 7);
  d.type = "1v1";
  d.line = "q3dm6 - osp - A vs B";
  d.roster = {"A", "B", "", "C (spectator)"};
  rows.Put(d);
  for (int i = 0; i < 300; ++i) {
    rows.Put(Make("C:\\Many\\" + std::to_string(i % 7) + "\\d" + std::to_string(i) + ".dem",
                  "Half-Life", "m" + std::to_string(i % 5), "", "", i,
                  static_cast<std::uint64_t>(i) * 1024, 1));
  }
  rows.Refresh();
  ASSERT_EQ(rows.Total(), 301);
  const Demo back = rows.At(rows.RowOf("D:\\Демо\\Ünïcode duel.dm_68"));
  EXPECT_EQ(std::tie(back.path, back.game, back.map, back.mod, back.players, back.type, back.line,
                     back.roster, back.seconds, back.size, back.writeTime, back.read),
            std::tie(d.path, d.game, d.map, d.mod, d.players, d.type, d.line, d.roster, d.seconds,
                     d.size, d.writeTime, d.read));
  for (int i = 0; i < 300; i += 37) {
    const std::string path =
        "C:\\Many\\" + std::to_string(i % 7) + "\\d" + std::to_string(i) + ".dem";
    EXPECT_TRUE(rows.Same(path, {static_cast<std::uint64_t>(i) * 1024, 1})) << path;
    EXPECT_FALSE(rows.Same(util::ToLower(path), {static_cast<std::uint64_t>(i) * 1024, 1})) << path;
    EXPECT_FALSE(rows.Same(path, {static_cast<std::uint64_t>(i) * 1024 + 1, 1})) << path;
    EXPECT_EQ(rows.Path(rows.RowOf(util::ToUpper(path))), path);
  }
  EXPECT_EQ(rows.RowOf("C:\\Many\\0\\d1.dem"), -1);
  // The cells of numbers are searched as shown, with the user's separator.
  const std::pair<const char*, int> searches[] = {
      {"1.537", 1}, {"1.0", 0}, {"1:01", 2}, {"1601-01-01 kb", 301}, {"1:01 osp", 1}};
  for (const auto& [query, count] : searches) {
    rows.SetQuery(query);
    rows.Refresh();
    EXPECT_EQ(rows.Shown(), count) << query;
  }
}

TEST(Rows, CellsSayDateSizeAndLengthPlainly) {
  Demo d = Make("C:\\A\\x.dm_68", "", "m", "", "", 3725, 1536 * 1024 + 1, 0);
  d.writeTime = 133'776'984'000'000'000ULL;  // 2024-12-03 11:20 UTC
  EXPECT_EQ(Cell(d, Column::Date), "2024-12-03 11:20");
  EXPECT_EQ(Cell(d, Column::Size, "."), "1.537 KB");
  EXPECT_EQ(Cell(d, Column::Length), "1:02:05");
  EXPECT_EQ(Cell(d, Column::Folder), "C:\\A");
  EXPECT_EQ(Cell(d, Column::Name), "x.dm_68");
  EXPECT_EQ(DateText(0), "");
}

}  // namespace
}  // namespace rd::library
