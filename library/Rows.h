#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/LibraryDemo.h"

namespace rd::library {

// Every demo the library knows, and the ones the search lets through in the chosen order.
// Tens of thousands of rows: each keeps its own texts in one block, and the texts many rows
// share (game, map, mod, type, folder) once for all.
class Rows {
 public:
  using Lower = std::function<std::string(const std::string&)>;
  // lower folds letter case in every script the platform knows (search words and cells).
  explicit Rows(Lower lower, std::string thousands = ",");

  // Adds a demo, or replaces the one of the same path. The shown rows are not rebuilt
  // until Refresh.
  void Put(const Demo& demo);
  // Forgets every demo whose path is not kept.
  void KeepOnly(const std::vector<std::string_view>& paths);
  void Clear();
  // Filters and sorts again: after puts, or a new query or order.
  void Refresh();

  // Every word of the query must be found in some column, letter case ignored.
  void SetQuery(const std::string& query);
  // By one column, ties broken by the path, so that equal rows keep their places.
  void SetOrder(Column column, bool descending);
  Column OrderColumn() const { return column_; }
  bool Descending() const { return descending_; }

  int Shown() const { return static_cast<int>(view_.size()); }
  int Total() const { return static_cast<int>(entries_.size()); }
  // The shown row's demo, whole; its cell, name, path and whether it could be read.
  Demo At(int row) const;
  std::string Cell(int row, Column column) const;
  std::string_view Name(int row) const;
  std::string Path(int row) const;
  bool Read(int row) const;
  // The shown row of the demo at path, or -1.
  int RowOf(const std::string& path) const;
  // Whether the demo at path, spelled just so, is known with these facts.
  bool Same(const std::string& path, const FileFacts& facts) const;
  const std::string& Thousands() const { return thousands_; }
  // Every demo, one after another.
  void Each(const std::function<void(const Demo&)>& each) const;

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  struct Entry {
    // The name, the players' short form, the line of facts and the roster, each ended by
    // '\0', then the folded name and players for the search.
    std::string texts;
    std::uint32_t playersAt = 0, lineAt = 0, rosterAt = 0, foldedAt = 0;
    std::uint32_t folder = 0, game = 0, map = 0, mod = 0, type = 0;  // shared texts
    std::uint64_t size = 0, writeTime = 0;
    double seconds = -1;
    bool read = false;
    bool slash = false;  // the path has a folder part
  };
  struct Shared {
    std::string text, folded;
  };
  std::uint32_t Share(std::string_view text);
  std::string_view Part(const Entry& entry, std::uint32_t from, std::uint32_t to) const;
  std::string_view NameOf(const Entry& entry) const { return Part(entry, 0, entry.playersAt); }
  std::string PathOf(const Entry& entry) const;
  Demo Whole(const Entry& entry) const;
  const Entry& ShownEntry(int row) const { return entries_[view_[static_cast<std::size_t>(row)]]; }
  std::uint32_t Find(const std::string& folded) const;
  void Index(std::uint32_t entry);
  void Reindex();
  std::uint64_t Hash(const Entry& entry) const;
  bool Matches(const Entry& entry) const;
  bool Before(std::uint32_t a, std::uint32_t b) const;
  void Rank();
  std::string Fold(const std::string& text) const;

  Lower lower_;
  std::string thousands_;
  std::string foldedThousands_;
  std::vector<Entry> entries_;
  std::deque<Shared> shared_;  // never moves: the map's keys point into it
  std::unordered_map<std::string_view, std::uint32_t> sharedIds_;
  std::vector<std::uint32_t> rank_;   // shared text -> its place in letter order
  std::vector<std::uint32_t> slots_;  // open addressing on the folded path -> entries_
  std::vector<std::uint32_t> order_;  // every demo in the chosen order
  bool ordered_ = false;              // order_ is current but for the demos appended since
  std::size_t orderedCount_ = 0;      // entries_ covered by order_
  std::vector<std::uint32_t> view_;
  std::vector<std::string> words_;
  std::vector<std::uint8_t> numberCells_;  // for each word, the cells of numbers it may be in
  // For the query: the words found in each shared text, a bit per word.
  std::vector<std::uint64_t> sharedWords_;
  Column column_ = Column::Name;
  bool descending_ = false;
};

}  // namespace rd::library
