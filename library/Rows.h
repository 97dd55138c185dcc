#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/LibraryDemo.h"

namespace rd::library {

// Every demo the library knows, and the ones the search lets through in the chosen order.
class Rows {
 public:
  using Lower = std::function<std::string(const std::string&)>;
  // lower folds letter case in every script the platform knows (search words and cells).
  explicit Rows(Lower lower, std::string thousands = ",");

  // Adds a demo, or replaces the one of the same path. The shown rows are not rebuilt
  // until Refresh.
  void Put(Demo demo);
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
  int Total() const { return static_cast<int>(demos_.size()); }
  const Demo& At(int row) const { return demos_[view_[static_cast<std::size_t>(row)]].demo; }
  // The shown row of the demo at path, or -1.
  int RowOf(const std::string& path) const;
  const std::string& Thousands() const { return thousands_; }
  std::vector<const Demo*> AllDemos() const;
  const Demo* Find(const std::string& path) const;

 private:
  struct Entry {
    Demo demo;
    // Every column but the name and the folder folded, separated by '\n'; those two are
    // searched in the folded path, which the index keeps once for both.
    std::string text;
    const std::string* key = nullptr;  // the folded path: index_'s own, which never moves
  };
  bool Matches(const Entry& entry) const;
  bool Before(std::uint32_t a, std::uint32_t b) const;
  std::string Fold(const std::string& text) const;

  Lower lower_;
  std::string thousands_;
  std::vector<Entry> demos_;
  std::unordered_map<std::string, std::uint32_t> index_;  // folded path -> demos_
  std::vector<std::uint32_t> order_;  // every demo in the chosen order
  bool ordered_ = false;              // order_ is current but for the demos appended since
  std::size_t orderedCount_ = 0;      // demos_ covered by order_
  std::vector<std::uint32_t> view_;
  std::vector<std::string> words_;
  Column column_ = Column::Name;
  bool descending_ = false;
};

}  // namespace rd::library
