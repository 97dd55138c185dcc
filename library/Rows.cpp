#include "library/Rows.h"

#include <algorithm>

#include "util/Text.h"

namespace rd::library {
namespace {

int Compare(std::uint64_t a, std::uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

int CompareText(std::string_view a, std::string_view b) {
  // Empty cells last in either order would surprise a reverse sort; plain text order it is.
  return util::CompareNoCase(a, b);
}

}  // namespace

Rows::Rows(Lower lower, std::string thousands)
    : lower_(std::move(lower)), thousands_(std::move(thousands)) {}

std::string Rows::Fold(const std::string& text) const {
  // Most names are ASCII: no need to ask the platform for those.
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return lower_(text);
  }
  return util::ToLower(text);
}

void Rows::Put(Demo demo) {
  std::string text;
  for (int c = 0; c < kColumns; ++c) {
    const auto column = static_cast<Column>(c);
    if (column == Column::Name || column == Column::Folder) continue;
    text += Cell(demo, column, thousands_);
    text += '\n';
  }
  text = Fold(text);
  // Thousands of rows: what they keep, they keep without spare room.
  demo.line.shrink_to_fit();
  demo.roster.shrink_to_fit();
  const auto [it, added] = index_.try_emplace(Fold(demo.path), static_cast<std::uint32_t>(demos_.size()));
  if (added) {
    demos_.push_back(Entry{std::move(demo), std::move(text), &it->first});
  } else {
    demos_[it->second] = Entry{std::move(demo), std::move(text), &it->first};
    ordered_ = false;  // its place may have changed
  }
}

void Rows::KeepOnly(const std::vector<std::string_view>& paths) {
  std::vector<bool> keep(demos_.size(), false);
  std::string key;
  for (const std::string_view path : paths) {
    key = Fold(std::string(path));
    const auto it = index_.find(key);
    if (it != index_.end()) keep[it->second] = true;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < demos_.size(); ++i) {
    if (!keep[i]) {
      index_.erase(index_.find(*demos_[i].key));
      continue;
    }
    if (kept != i) demos_[kept] = std::move(demos_[i]);
    index_.find(*demos_[kept].key)->second = static_cast<std::uint32_t>(kept);
    ++kept;
  }
  demos_.erase(demos_.begin() + static_cast<std::ptrdiff_t>(kept), demos_.end());
  view_.clear();
  ordered_ = false;
}

void Rows::Clear() {
  demos_.clear();
  index_.clear();
  view_.clear();
  ordered_ = false;
}

void Rows::SetQuery(const std::string& query) {
  words_.clear();
  const std::string folded = Fold(query);
  std::size_t at = 0;
  while (at < folded.size()) {
    const std::size_t end = std::min(folded.find_first_of(" \t", at), folded.size());
    if (end > at) words_.push_back(folded.substr(at, end - at));
    at = end + 1;
  }
}

void Rows::SetOrder(Column column, bool descending) {
  ordered_ = ordered_ && column_ == column && descending_ == descending;
  column_ = column;
  descending_ = descending;
}

bool Rows::Matches(const Entry& entry) const {
  const std::string_view path = *entry.key;
  const std::string_view name = NameOf(path), folder = FolderOf(path);
  for (const std::string& word : words_) {
    if (entry.text.find(word) == std::string::npos && name.find(word) == std::string_view::npos &&
        folder.find(word) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

bool Rows::Before(std::uint32_t a, std::uint32_t b) const {
  const Demo& x = demos_[a].demo;
  const Demo& y = demos_[b].demo;
  int order = 0;
  switch (column_) {
    case Column::Name: order = CompareText(NameOf(x.path), NameOf(y.path)); break;
    case Column::Game: order = CompareText(x.game, y.game); break;
    case Column::Map: order = CompareText(x.map, y.map); break;
    case Column::Mod: order = CompareText(x.mod, y.mod); break;
    case Column::Players: order = CompareText(x.players, y.players); break;
    case Column::Type: order = CompareText(x.type, y.type); break;
    case Column::Length: order = x.seconds < y.seconds ? -1 : x.seconds > y.seconds ? 1 : 0; break;
    case Column::Date: order = Compare(x.writeTime, y.writeTime); break;
    case Column::Size: order = Compare(x.size, y.size); break;
    case Column::Folder:
      order = CompareText(FolderOf(x.path), FolderOf(y.path));
      break;
  }
  if (order == 0) order = CompareText(x.path, y.path);
  return descending_ ? order > 0 : order < 0;
}

void Rows::Refresh() {
  // The order is kept between searches: a keystroke only filters.
  const auto before = [this](std::uint32_t a, std::uint32_t b) { return Before(a, b); };
  if (!ordered_) {
    order_.resize(demos_.size());
    for (std::uint32_t i = 0; i < demos_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), before);
    ordered_ = true;
  } else if (orderedCount_ < demos_.size()) {
    // Rows arriving from a scan: sorted among themselves, then merged in.
    const auto middle = static_cast<std::ptrdiff_t>(order_.size());
    for (auto i = static_cast<std::uint32_t>(orderedCount_); i < demos_.size(); ++i) order_.push_back(i);
    std::sort(order_.begin() + middle, order_.end(), before);
    std::inplace_merge(order_.begin(), order_.begin() + middle, order_.end(), before);
  }
  orderedCount_ = demos_.size();
  view_.clear();
  if (words_.empty()) {
    view_ = order_;
    return;
  }
  for (const std::uint32_t i : order_) {
    if (Matches(demos_[i])) view_.push_back(i);
  }
}

const Demo* Rows::Find(const std::string& path) const {
  const auto it = index_.find(Fold(path));
  return it == index_.end() ? nullptr : &demos_[it->second].demo;
}

int Rows::RowOf(const std::string& path) const {
  const auto it = index_.find(Fold(path));
  if (it == index_.end()) return -1;
  const auto at = std::find(view_.begin(), view_.end(), it->second);
  return at == view_.end() ? -1 : static_cast<int>(at - view_.begin());
}

std::vector<const Demo*> Rows::AllDemos() const {
  std::vector<const Demo*> all;
  all.reserve(demos_.size());
  for (const Entry& entry : demos_) all.push_back(&entry.demo);
  return all;
}

}  // namespace rd::library
