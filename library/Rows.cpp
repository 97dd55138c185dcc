#include "library/Rows.h"

#include <algorithm>

#include "demo/DemoSummary.h"
#include "util/Text.h"

namespace rd::library {
namespace {

enum : std::uint8_t { kLength = 1, kDate = 2, kSize = 4 };

int Compare(std::uint64_t a, std::uint64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// FNV-1a, fed piece by piece so that a row's folded path need not be put together.
struct Hasher {
  std::uint64_t sum = 14695981039346656037ULL;
  void Add(std::string_view bytes) {
    for (const char c : bytes) sum = (sum ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
};

// Whether every character of word is one of a cell's.
bool Within(std::string_view word, std::string_view alphabet) {
  return std::all_of(word.begin(), word.end(),
                     [alphabet](char c) { return alphabet.find(c) != std::string_view::npos; });
}

}  // namespace

Rows::Rows(Lower lower, std::string thousands)
    : lower_(std::move(lower)),
      thousands_(std::move(thousands)),
      foldedThousands_(Fold(thousands_)) {}

std::string Rows::Fold(const std::string& text) const {
  // Most names are ASCII: no need to ask the platform for those.
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return lower_(text);
  }
  return util::ToLower(text);
}

std::uint32_t Rows::Share(std::string_view text) {
  const auto it = sharedIds_.find(text);
  if (it != sharedIds_.end()) return it->second;
  const auto id = static_cast<std::uint32_t>(shared_.size());
  shared_.push_back({std::string(text), Fold(std::string(text))});
  sharedIds_.emplace(shared_.back().text, id);
  return id;
}

std::string_view Rows::Part(const Entry& entry, std::uint32_t from, std::uint32_t to) const {
  return std::string_view(entry.texts).substr(from, to - from - 1);  // without its '\0'
}

std::string Rows::PathOf(const Entry& entry) const {
  std::string path;
  if (entry.slash) path = shared_[entry.folder].text + '\\';
  path += NameOf(entry);
  return path;
}

void Rows::Put(const Demo& demo) {
  Entry entry;
  const std::string_view name = library::NameOf(demo.path);
  entry.slash = demo.path.find('\\') != std::string::npos;
  entry.folder = Share(FolderOf(demo.path));
  entry.game = Share(demo.game);
  entry.map = Share(demo.map);
  entry.mod = Share(demo.mod);
  entry.type = Share(demo.type);
  std::string& texts = entry.texts;
  texts.append(name) += '\0';
  entry.playersAt = static_cast<std::uint32_t>(texts.size());
  texts.append(demo.players) += '\0';
  entry.lineAt = static_cast<std::uint32_t>(texts.size());
  texts.append(demo.line) += '\0';
  entry.rosterAt = static_cast<std::uint32_t>(texts.size());
  for (const std::string& player : demo.roster) texts.append(player) += '\0';
  entry.foldedAt = static_cast<std::uint32_t>(texts.size());
  texts += Fold(std::string(name) + '\n' + demo.players);
  texts.shrink_to_fit();
  entry.size = demo.size;
  entry.writeTime = demo.writeTime;
  entry.seconds = demo.seconds;
  entry.read = demo.read;
  const std::uint32_t known = Find(Fold(demo.path));
  if (known != kNone) {
    entries_[known] = std::move(entry);
    ordered_ = false;  // its place may have changed
    return;
  }
  entries_.push_back(std::move(entry));
  Index(static_cast<std::uint32_t>(entries_.size() - 1));
}

std::uint64_t Rows::Hash(const Entry& entry) const {
  Hasher hash;
  const std::string_view folded = std::string_view(entry.texts).substr(entry.foldedAt);
  if (entry.slash) {
    hash.Add(shared_[entry.folder].folded);
    hash.Add("\\");
  }
  hash.Add(folded.substr(0, folded.find('\n')));
  return hash.sum;
}

std::uint32_t Rows::Find(const std::string& folded) const {
  if (slots_.empty()) return kNone;
  Hasher hash;
  hash.Add(folded);
  const std::size_t mask = slots_.size() - 1;
  const std::string_view name = library::NameOf(folded);
  const bool slash = folded.find('\\') != std::string::npos;
  const std::string_view folder = FolderOf(folded);
  for (std::size_t at = hash.sum & mask;; at = (at + 1) & mask) {
    const std::uint32_t id = slots_[at];
    if (id == kNone) return kNone;
    const Entry& entry = entries_[id];
    const std::string_view own = std::string_view(entry.texts).substr(entry.foldedAt);
    if (entry.slash == slash && own.substr(0, own.find('\n')) == name &&
        shared_[entry.folder].folded == folder) {
      return id;
    }
  }
}

void Rows::Index(std::uint32_t entry) {
  if (slots_.size() < 2 * entries_.size()) {
    Reindex();
    return;
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = Hash(entries_[entry]) & mask;
  while (slots_[at] != kNone) at = (at + 1) & mask;
  slots_[at] = entry;
}

void Rows::Reindex() {
  std::size_t size = 64;
  while (size < 2 * entries_.size()) size *= 2;
  slots_.assign(size, kNone);
  const std::size_t mask = size - 1;
  for (std::uint32_t i = 0; i < entries_.size(); ++i) {
    std::size_t at = Hash(entries_[i]) & mask;
    while (slots_[at] != kNone) at = (at + 1) & mask;
    slots_[at] = i;
  }
}

void Rows::KeepOnly(const std::vector<std::string_view>& paths) {
  std::vector<bool> keep(entries_.size(), false);
  for (const std::string_view path : paths) {
    const std::uint32_t id = Find(Fold(std::string(path)));
    if (id != kNone) keep[id] = true;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!keep[i]) continue;
    if (kept != i) entries_[kept] = std::move(entries_[i]);
    ++kept;
  }
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(kept), entries_.end());
  Reindex();
  view_.clear();
  ordered_ = false;
}

void Rows::Clear() {
  entries_.clear();
  slots_.clear();
  shared_.clear();
  sharedIds_.clear();
  rank_.clear();
  order_.clear();
  view_.clear();
  ordered_ = false;
  orderedCount_ = 0;
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
  numberCells_.clear();
  for (const std::string& word : words_) {
    numberCells_.push_back(static_cast<std::uint8_t>(
        (Within(word, "0123456789:") ? kLength : 0) | (Within(word, "0123456789-:") ? kDate : 0) |
        (Within(word, "0123456789kb" + foldedThousands_) ? kSize : 0)));
  }
}

void Rows::SetOrder(Column column, bool descending) {
  ordered_ = ordered_ && column_ == column && descending_ == descending;
  column_ = column;
  descending_ = descending;
}

bool Rows::Matches(const Entry& entry) const {
  const std::uint64_t shared = sharedWords_[entry.folder] | sharedWords_[entry.game] |
                               sharedWords_[entry.map] | sharedWords_[entry.mod] |
                               sharedWords_[entry.type];
  const std::string_view own = std::string_view(entry.texts).substr(entry.foldedAt);
  for (std::size_t w = 0; w < words_.size(); ++w) {
    const std::string& word = words_[w];
    if (w < 64 && ((shared >> w) & 1)) continue;
    if (w >= 64) {
      bool found = false;
      for (const std::uint32_t id : {entry.folder, entry.game, entry.map, entry.mod, entry.type}) {
        found = found || shared_[id].folded.find(word) != std::string::npos;
      }
      if (found) continue;
    }
    if (own.find(word) != std::string_view::npos) continue;
    // The cells of numbers are made only for a word that could be found in them.
    const std::uint8_t cells = numberCells_[w];
    if ((cells & kLength) && summary::Clock(entry.seconds).find(word) != std::string::npos)
      continue;
    if ((cells & kDate) && DateText(entry.writeTime).find(word) != std::string::npos) continue;
    if ((cells & kSize) &&
        Grouped((entry.size + 1023) / 1024, foldedThousands_).append(" kb").find(word) !=
            std::string::npos) {
      continue;
    }
    return false;
  }
  return true;
}

void Rows::Rank() {
  if (rank_.size() == shared_.size()) return;
  std::vector<std::uint32_t> ids(shared_.size());
  for (std::uint32_t i = 0; i < ids.size(); ++i) ids[i] = i;
  std::sort(ids.begin(), ids.end(), [this](std::uint32_t a, std::uint32_t b) {
    return util::CompareNoCase(shared_[a].text, shared_[b].text) < 0;
  });
  rank_.assign(shared_.size(), 0);
  std::uint32_t place = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    // Texts equal but for letter case share a place.
    if (i > 0 && util::CompareNoCase(shared_[ids[i - 1]].text, shared_[ids[i]].text) != 0) ++place;
    rank_[ids[i]] = place;
  }
}

bool Rows::Before(std::uint32_t a, std::uint32_t b) const {
  const Entry& x = entries_[a];
  const Entry& y = entries_[b];
  int order = 0;
  switch (column_) {
    case Column::Name:
      order = util::CompareNoCase(NameOf(x), NameOf(y));
      break;
    case Column::Game:
      order = Compare(rank_[x.game], rank_[y.game]);
      break;
    case Column::Map:
      order = Compare(rank_[x.map], rank_[y.map]);
      break;
    case Column::Mod:
      order = Compare(rank_[x.mod], rank_[y.mod]);
      break;
    case Column::Players:
      order = util::CompareNoCase(Part(x, x.playersAt, x.lineAt), Part(y, y.playersAt, y.lineAt));
      break;
    case Column::Type:
      order = Compare(rank_[x.type], rank_[y.type]);
      break;
    case Column::Length:
      order = x.seconds < y.seconds ? -1 : x.seconds > y.seconds ? 1 : 0;
      break;
    case Column::Date:
      order = Compare(x.writeTime, y.writeTime);
      break;
    case Column::Size:
      order = Compare(x.size, y.size);
      break;
    case Column::Folder:
      order = Compare(rank_[x.folder], rank_[y.folder]);
      break;
  }
  if (order == 0) order = Compare(rank_[x.folder], rank_[y.folder]);
  if (order == 0) order = util::CompareNoCase(NameOf(x), NameOf(y));
  return descending_ ? order > 0 : order < 0;
}

void Rows::Refresh() {
  Rank();
  // The order is kept between searches: a keystroke only filters.
  const auto before = [this](std::uint32_t a, std::uint32_t b) { return Before(a, b); };
  if (!ordered_) {
    order_.resize(entries_.size());
    for (std::uint32_t i = 0; i < entries_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), before);
    ordered_ = true;
  } else if (orderedCount_ < entries_.size()) {
    // Rows arriving from a scan: sorted among themselves, then merged in.
    const auto middle = static_cast<std::ptrdiff_t>(order_.size());
    for (auto i = static_cast<std::uint32_t>(orderedCount_); i < entries_.size(); ++i)
      order_.push_back(i);
    std::sort(order_.begin() + middle, order_.end(), before);
    std::inplace_merge(order_.begin(), order_.begin() + middle, order_.end(), before);
  }
  orderedCount_ = entries_.size();
  view_.clear();
  if (words_.empty()) {
    view_ = order_;
    return;
  }
  // A shared text is searched once for every row that has it.
  sharedWords_.assign(shared_.size(), 0);
  for (std::size_t id = 0; id < shared_.size(); ++id) {
    for (std::size_t w = 0; w < words_.size() && w < 64; ++w) {
      if (shared_[id].folded.find(words_[w]) != std::string::npos) sharedWords_[id] |= 1ULL << w;
    }
  }
  for (const std::uint32_t i : order_) {
    if (Matches(entries_[i])) view_.push_back(i);
  }
}

Demo Rows::At(int row) const {
  return Whole(ShownEntry(row));
}

Demo Rows::Whole(const Entry& entry) const {
  Demo demo;
  demo.path = PathOf(entry);
  demo.size = entry.size;
  demo.writeTime = entry.writeTime;
  demo.read = entry.read;
  demo.game = shared_[entry.game].text;
  demo.map = shared_[entry.map].text;
  demo.mod = shared_[entry.mod].text;
  demo.type = shared_[entry.type].text;
  demo.players = std::string(Part(entry, entry.playersAt, entry.lineAt));
  demo.line = std::string(Part(entry, entry.lineAt, entry.rosterAt));
  demo.seconds = entry.seconds;
  for (std::uint32_t at = entry.rosterAt; at < entry.foldedAt;) {
    const std::size_t end = entry.texts.find('\0', at);
    demo.roster.push_back(entry.texts.substr(at, end - at));
    at = static_cast<std::uint32_t>(end + 1);
  }
  return demo;
}

std::string Rows::Cell(int row, Column column) const {
  const Entry& entry = ShownEntry(row);
  switch (column) {
    case Column::Name:
      return std::string(NameOf(entry));
    case Column::Game:
      return shared_[entry.game].text;
    case Column::Map:
      return shared_[entry.map].text;
    case Column::Mod:
      return shared_[entry.mod].text;
    case Column::Players:
      return std::string(Part(entry, entry.playersAt, entry.lineAt));
    case Column::Type:
      return shared_[entry.type].text;
    case Column::Length:
      return summary::Clock(entry.seconds);
    case Column::Date:
      return DateText(entry.writeTime);
    case Column::Size:
      return SizeText(entry.size, thousands_);
    case Column::Folder:
      return shared_[entry.folder].text;
  }
  return {};
}

std::string_view Rows::Name(int row) const {
  return NameOf(ShownEntry(row));
}
std::string Rows::Path(int row) const {
  return PathOf(ShownEntry(row));
}
bool Rows::Read(int row) const {
  return ShownEntry(row).read;
}

int Rows::RowOf(const std::string& path) const {
  const std::uint32_t id = Find(Fold(path));
  if (id == kNone) return -1;
  const auto at = std::find(view_.begin(), view_.end(), id);
  return at == view_.end() ? -1 : static_cast<int>(at - view_.begin());
}

bool Rows::Same(const std::string& path, const FileFacts& facts) const {
  const std::uint32_t id = Find(Fold(path));
  if (id == kNone) return false;
  const Entry& entry = entries_[id];
  return entry.size == facts.size && entry.writeTime == facts.writeTime && PathOf(entry) == path;
}

void Rows::Each(const std::function<void(const Demo&)>& each) const {
  for (const Entry& entry : entries_) each(Whole(entry));
}

}  // namespace rd::library
