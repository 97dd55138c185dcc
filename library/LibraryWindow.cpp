#include "library/LibraryWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

#include "catalogue/Engines.h"
#include "catalogue/GameCatalogue.h"
#include "config/ConfigWindow.h"
#include "library/Cache.h"
#include "settings/SettingsStore.h"
#include "util/PathHelpers.h"
#include "util/Text.h"

namespace rd::library {
namespace {

constexpr std::string_view kPlaceValue = "LibraryWindow";     // "left,top,width,height"
constexpr std::string_view kColumnsValue = "LibraryColumns";  // ten widths
constexpr std::string_view kSortValue = "LibrarySort";        // "column,descending"
constexpr std::string_view kFoldersValue = "LibraryFolders";  // "|"-separated; "<" top only
constexpr auto kStepSpell = std::chrono::milliseconds(200);   // between steps of a scan
constexpr std::size_t kStepDemos = 512;  // at most, so that a fast disk's steps stay small
constexpr int kReaders = 2;

std::string ReadText(Ports& ports, std::string_view name) {
  SettingValue value;
  SettingsStore::ReadValue(ports, std::string(catalogue::SettingsRoot),
                           std::string(catalogue::SettingsKey), std::string(name), "S",
                           SettingValue(std::string_view("")), value);
  return value.TextForm(ports.process.Numbers());
}

void WriteText(Ports& ports, std::string_view name, const std::string& text) {
  SettingsStore::WriteValue(ports, std::string(catalogue::SettingsRoot),
                            std::string(catalogue::SettingsKey), std::string(name), "S",
                            SettingValue(text));
}

std::vector<int> Numbers(const std::string& text) {
  std::vector<int> numbers;
  std::size_t at = 0;
  while (at <= text.size() && !text.empty()) {
    const std::size_t end = std::min(text.find(',', at), text.size());
    numbers.push_back(std::atoi(text.substr(at, end - at).c_str()));
    at = end + 1;
  }
  return numbers;
}

// One set of map pictures while any library window is open, so that every archive is
// indexed once; the cache keeps the indexes from one opening to the next.
std::shared_ptr<pictures::MapPictures> SharedPictures(FileSystem& files) {
  static std::mutex mutex;
  static FileSystem* owner = nullptr;
  static std::weak_ptr<pictures::MapPictures> shared;
  const std::lock_guard lock(mutex);
  if (owner == &files) {
    if (auto pictures = shared.lock()) return pictures;
  }
  auto pictures = std::make_shared<pictures::MapPictures>(files);
  owner = &files;
  shared = pictures;
  return pictures;
}

bool Absolute(const std::string& path) {
  return path.size() > 2 && ((path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0);
}

}  // namespace

// The latest selection's map, for the picture worker; an older one not yet looked at is
// replaced, so that running down the list looks up only where it stops.
struct LibraryWindow::PictureWanted {
  struct Request {
    std::string key;
    const catalogue::Game* game = nullptr;
    std::string folder, mod, map;
  };
  std::mutex mutex;
  std::optional<Request> next;
  bool running = false;
};

LibraryWindow::LibraryWindow(Ports& ports, AppHost& host, LibraryOwner& owner)
    : ports_(ports),
      host_(host),
      owner_(owner),
      rows_([&ports](const std::string& text) { return ports.process.ChangeCase(text, false); },
            ports.process.Numbers().thousands),
      pictures_(SharedPictures(ports.files)),
      wanted_(std::make_shared<PictureWanted>()) {
  txtSearch.Change = [this] {
    rows_.SetQuery(txtSearch.Text());
    Refreshed();
  };
}

LibraryWindow::~LibraryWindow() {
  watches_.clear();
  pictureJobs_.reset();
  jobs_.reset();
}

void LibraryWindow::Form_Load() {
  LoadLayout();
  cachePath_ = CachePath(ports_);
  // Straight into the rows: the demos of a whole cache side by side would stay in the
  // working set as heap long after.
  const auto put = [this](Demo&& demo) { rows_.Put(demo); };
  if (LoadCache(ports_.files, cachePath_, put, &savedIndexes_) == CacheStatus::Loaded) {
    for (const std::string& index : savedIndexes_) pictures_->Restore(index);
  }
  Refreshed();
  StartScan();
}

void LibraryWindow::Form_Unload() {
  watches_.clear();
  if (jobs_) jobs_->Stop();
  if (pictureJobs_) pictureJobs_->Stop();
  scanning_ = false;
  // Archives indexed for pictures since the cache was written.
  if (!cachePath_.empty() && pictures_->SavedIndexes() != savedIndexes_) SaveCache();
  SaveLayout();
}

void LibraryWindow::Rescan() { StartScan(); }

std::vector<Root> LibraryWindow::UserRoots() {
  std::vector<Root> roots;
  const std::string text = ReadText(ports_, kFoldersValue);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('|', at), text.size());
    std::string folder = text.substr(at, end - at);
    const bool top = !folder.empty() && folder[0] == '<';
    if (top) folder.erase(0, 1);
    if (!folder.empty()) roots.push_back({folder, !top});
    at = end + 1;
  }
  return roots;
}

std::vector<Root> LibraryWindow::Roots() {
  std::vector<Root> roots;
  std::vector<FolderEntry> entries;
  for (const catalogue::Game& game : catalogue::Games()) {
    const std::string program = ReadGameLocation(ports_, host_, game);
    const std::string folder = PathHelpers::GetParentFolder(program);
    if (!folder.empty()) gameFolders_[std::string(game.displayName)] = folder;
    if (folder.empty() || ports_.files.ListFolder(folder, entries) != 0) continue;
    // Half-Life plays demos from a mod folder's top level; the others look in demos
    // folders, subfolders included.
    if (!game.demoFolderIsMod) roots.push_back({folder + std::string(game.demoFolder), true});
    for (const FolderEntry& entry : entries) {
      if (!entry.folder || entry.link) continue;
      if (game.demoFolderIsMod) {
        roots.push_back({folder + "\\" + entry.name, false});
      } else {
        roots.push_back({folder + "\\" + entry.name + "\\demos", true});
      }
    }
  }
  // Engines that keep the user's files in a home folder record demos there, one demos
  // folder per game folder ("%APPDATA%\Quake3\baseq3\demos").
  std::vector<std::string> homes;
  for (const catalogue::Engine& engine : catalogue::Engines()) {
    if (engine.home == catalogue::HomeRoot::None) continue;
    const std::string user = ports_.process.UserFolderPath(
        engine.home == catalogue::HomeRoot::AppData ? UserFolder::RoamingAppData
                                                    : UserFolder::Documents);
    if (user.empty()) continue;
    const std::string home = user + "\\" + std::string(engine.homeFolder);
    bool seen = false;
    for (const std::string& known : homes) seen = seen || util::EqualsNoCase(known, home);
    if (seen || ports_.files.ListFolder(home, entries) != 0) continue;
    homes.push_back(home);
    std::vector<FolderEntry> inside;
    for (const FolderEntry& entry : entries) {
      if (!entry.folder || entry.link) continue;
      const std::string demos = home + "\\" + entry.name + "\\demos";
      if (ports_.files.ListFolder(demos, inside) == 0) roots.push_back({demos, true});
    }
  }
  const std::string current = owner_.CurrentDemo();
  if (Absolute(current)) roots.push_back({std::string(FolderOf(current)), true});
  for (Root& root : UserRoots()) roots.push_back(std::move(root));
  return roots;
}

void LibraryWindow::StartScan() {
  if (closed_) return;
  if (!jobs_) jobs_ = ports_.background.NewJobs();
  jobs_->Stop();
  scanning_ = true;
  rescanWanted_ = false;
  reading_ = toRead_ = 0;
  Status();
  std::vector<Root> roots = Roots();
  // Watched before the scan, so that nothing written meanwhile is missed.
  WatchRoots(roots);
  FileSystem* files = &ports_.files;
  jobs_->Start([this, files, roots = std::move(roots)](const Deliver& deliver,
                                                       const std::atomic<bool>& stop) {
    std::vector<Found> found = FindDemos(*files, roots, stop);
    if (stop) return;
    deliver([this, found = std::move(found)]() mutable { Listed(std::move(found)); });
  });
}

void LibraryWindow::Listed(std::vector<Found> found) {
  // The listing's own paths, not copies: ten thousand of them at once would stay in the
  // working set as heap long after.
  std::vector<std::string_view> paths;
  paths.reserve(found.size());
  for (const Found& file : found) paths.push_back(file.path);
  const int before = rows_.Total();
  rows_.KeepOnly(paths);
  const bool removed = rows_.Total() != before;
  paths = {};
  std::vector<Found> fresh;
  for (Found& file : found) {
    if (!rows_.Same(file.path, file.facts)) fresh.push_back(std::move(file));
  }
  found = {};
  if (fresh.empty()) {
    ScanEnded(removed);
    return;
  }
  toRead_ = static_cast<int>(fresh.size());
  Refreshed();
  // Two readers: while one waits for the disk, the other reads what came in.
  std::vector<Found> shares[kReaders];
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    shares[i % kReaders].push_back(std::move(fresh[i]));
  }
  readers_ = 0;
  FileSystem* files = &ports_.files;
  for (std::vector<Found>& share : shares) {
    if (share.empty()) continue;
    ++readers_;
    jobs_->Start([this, files, share = std::move(share)](const Deliver& deliver,
                                                         const std::atomic<bool>& stop) {
      std::vector<Demo> batch;
      auto last = std::chrono::steady_clock::now();
      const auto hand = [&](bool end) {
        deliver([this, batch = std::exchange(batch, {}), end]() mutable {
          reading_ += static_cast<int>(batch.size());
          for (const Demo& demo : batch) rows_.Put(demo);
          if (end && --readers_ == 0) {
            ScanEnded(true);
          } else {
            Refreshed();
          }
        });
      };
      for (const Found& file : share) {
        if (stop) return;
        batch.push_back(Describe(*files, file.path, file.facts));
        // A step per spell rather than per demo: each redraws the list.
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= kStepSpell || batch.size() >= kStepDemos) {
          last = now;
          hand(false);
        }
      }
      if (!stop) hand(true);
    });
  }
}

void LibraryWindow::ScanEnded(bool changed) {
  scanning_ = false;
  if (changed) SaveCache();
  Refreshed();
  if (rescanWanted_) StartScan();
}

void LibraryWindow::SaveCache() {
  savedIndexes_ = pictures_->SavedIndexes();
  CacheWriter writer;
  rows_.Each([&writer](const Demo& demo) { writer.Add(demo); });
  SaveCacheBytes(ports_.files, cachePath_, writer.Finish(savedIndexes_));
}

void LibraryWindow::WatchRoots(const std::vector<Root>& roots) {
  for (const Root& root : roots) {
    std::string key = util::ToLower(root.folder) + (root.subfolders ? "*" : "");
    if (watches_.count(key)) continue;
    if (auto watch =
            ports_.notices.WatchFolder(root.folder, root.subfolders, [this] { Changed(); })) {
      watches_[std::move(key)] = std::move(watch);
    }
  }
}

void LibraryWindow::Changed() {
  if (closed_) return;
  if (scanning_) {
    rescanWanted_ = true;
  } else {
    StartScan();
  }
}

void LibraryWindow::Refreshed() {
  rows_.Refresh();
  Status();
  if (OnRowsChanged) OnRowsChanged();
  ShowSelected();
}

void LibraryWindow::Status() {
  const std::string& sep = rows_.Thousands();
  if (scanning_ && toRead_ > 0) {
    lblStatus.SetCaption("Reading " + Grouped(static_cast<std::uint64_t>(reading_), sep) + " of " +
                         Grouped(static_cast<std::uint64_t>(toRead_), sep) + " demos...");
  } else if (scanning_ && rows_.Total() == 0) {
    lblStatus.SetCaption("Looking for demos...");
  } else {
    const std::string total = Grouped(static_cast<std::uint64_t>(rows_.Total()), sep);
    const std::string word = rows_.Total() == 1 ? " demo" : " demos";
    lblStatus.SetCaption(rows_.Shown() == rows_.Total()
                             ? total + word
                             : Grouped(static_cast<std::uint64_t>(rows_.Shown()), sep) + " of " +
                                   total + word);
  }
}

std::string LibraryWindow::CellText(int row, int column) const {
  if (row < 0 || row >= rows_.Shown() || column < 0 || column >= kColumns) return {};
  return rows_.Cell(row, static_cast<Column>(column));
}

bool LibraryWindow::Greyed(int row) const {
  return row >= 0 && row < rows_.Shown() && !rows_.Read(row);
}

std::string LibraryWindow::PathOf(int row) const {
  return row >= 0 && row < rows_.Shown() ? rows_.Path(row) : std::string();
}

void LibraryWindow::HeaderClicked(int column) {
  if (column < 0 || column >= kColumns) return;
  const auto chosen = static_cast<Column>(column);
  rows_.SetOrder(chosen, rows_.OrderColumn() == chosen ? !rows_.Descending() : false);
  Refreshed();
}

void LibraryWindow::SelectRow(int row) {
  selectedPath_ = PathOf(row);
  ShowSelected();
}

int LibraryWindow::SelectedRow() const {
  return selectedPath_.empty() ? -1 : rows_.RowOf(selectedPath_);
}

int LibraryWindow::FindPrefix(const std::string& prefix, int start, bool wrap) const {
  const int count = rows_.Shown();
  if (count == 0 || prefix.empty()) return -1;
  const std::string folded = ports_.process.ChangeCase(prefix, false);
  start = std::clamp(start, 0, count - 1);
  for (int step = 0; step < count; ++step) {
    const int row = start + step;
    if (row >= count && !wrap) break;
    const std::string name(rows_.Name(row % count));
    if (ports_.process.ChangeCase(name.substr(0, prefix.size() * 2), false).rfind(folded, 0) == 0) {
      return row % count;
    }
  }
  return -1;
}

void LibraryWindow::ShowSelected() {
  const int row = SelectedRow();
  if (row < 0) {
    lblLine.SetCaption({});
    lblPlayers.SetCaption({});
    pictureKey_.clear();
    SetPicture(std::nullopt, false);
  } else {
    const Demo demo = rows_.At(row);
    lblLine.SetCaption(std::string(NameOf(demo.path)) + "\n" + demo.line);
    std::string players;
    for (const std::string& player : demo.roster) {
      if (!players.empty()) players += '\n';
      players += player;
    }
    lblPlayers.SetCaption(players);
    LookForPicture(demo);
  }
}

void LibraryWindow::LookForPicture(const Demo& demo) {
  std::string key = demo.path + '\n' + demo.game + '\n' + demo.mod + '\n' + demo.map;
  if (key == pictureKey_) return;  // shown or on its way
  pictureKey_ = key;
  const catalogue::Game* game = nullptr;
  for (const catalogue::Game& known : catalogue::Games()) {
    if (demo.read && known.displayName == demo.game) game = &known;
  }
  const auto folder = game ? gameFolders_.find(demo.game) : gameFolders_.end();
  if (folder == gameFolders_.end() || demo.map.empty() ||
      pictures::SourceFor(*game, demo.mod).kind == pictures::PictureSource::Kind::None) {
    SetPicture(std::nullopt, true);
    return;
  }
  SetPicture(std::nullopt, false);  // the previous demo's picture goes at once
  {
    const std::lock_guard lock(wanted_->mutex);
    wanted_->next =
        PictureWanted::Request{std::move(key), game, folder->second, demo.mod, demo.map};
    if (wanted_->running) return;  // the worker takes it next
    wanted_->running = true;
  }
  if (!pictureJobs_) pictureJobs_ = ports_.background.NewJobs();
  pictureJobs_->Start([this, wanted = wanted_, pictures = pictures_](
                          const Deliver& deliver, const std::atomic<bool>& stop) {
    for (;;) {
      PictureWanted::Request request;
      {
        const std::lock_guard lock(wanted->mutex);
        if (stop || !wanted->next) {
          wanted->running = false;
          return;
        }
        request = std::move(*wanted->next);
        wanted->next.reset();
      }
      std::optional<Picture> picture =
          pictures->Picture(*request.game, request.folder, request.mod, request.map);
      deliver([this, key = std::move(request.key), picture = std::move(picture)]() mutable {
        PictureFound(key, std::move(picture));
      });
    }
  });
}

void LibraryWindow::PictureFound(const std::string& key, std::optional<Picture> picture) {
  if (key != pictureKey_) return;  // another demo was selected meanwhile
  const bool missing = !picture;
  SetPicture(std::move(picture), missing);
}

void LibraryWindow::SetPicture(std::optional<Picture> picture, bool missing) {
  const bool changed = picture.has_value() || picture_.has_value() || missing != pictureMissing_;
  picture_ = std::move(picture);
  pictureMissing_ = missing;
  if (changed && OnPictureChanged) OnPictureChanged();
}

void LibraryWindow::Activate(int row) {
  const std::string path = PathOf(row);
  if (path.empty()) return;
  owner_.TakeDemo(path);
  Close();
}

void LibraryWindow::PlayRow(int row) {
  const std::string path = PathOf(row);
  if (path.empty()) return;
  if (jobs_) jobs_->Stop();  // nothing may touch the files while the demo is staged
  scanning_ = false;
  SaveLayout();
  owner_.PlayDemo(path);
}

void LibraryWindow::OpenFolder(int row) {
  const std::string path = PathOf(row);
  if (path.empty()) return;
  ports_.shell.Execute(ports_.mainWindowOwner ? ports_.mainWindowOwner() : 0, "open",
                       "explorer.exe", "/select,\"" + path + "\"", "", showcmd::Show);
}

void LibraryWindow::Close() {
  if (closed_) return;
  closed_ = true;
  owner_.CloseLibrary();
}

void LibraryWindow::SaveUserRoots(const std::vector<Root>& roots) {
  std::string text;
  for (const Root& root : roots) {
    if (!text.empty()) text += '|';
    text += (root.subfolders ? "" : "<") + root.folder;
  }
  WriteText(ports_, kFoldersValue, text);
}

bool LibraryWindow::PutUserRoot(std::vector<Root>& roots, const Root& root) {
  for (Root& known : roots) {
    if (!util::EqualsNoCase(known.folder, root.folder)) continue;
    if (known.subfolders == root.subfolders) return false;
    known.subfolders = root.subfolders;
    return true;
  }
  roots.push_back(root);
  return true;
}

void LibraryWindow::Form_DropFiles(const std::vector<std::string>& paths) {
  std::vector<Root> roots = UserRoots();
  bool added = false;
  std::vector<FolderEntry> entries;
  for (const std::string& path : paths) {
    if (ports_.files.ListFolder(path, entries) != 0) continue;  // folders only
    bool known = false;
    for (const Root& root : roots) known = known || util::EqualsNoCase(root.folder, path);
    if (known) continue;
    roots.push_back({path, true});
    added = true;
  }
  if (!added) return;
  SaveUserRoots(roots);
  StartScan();
}

void LibraryWindow::AddFolder() {
  const FolderResult picked = ports_.dialogs.ShowFolder("Add a folder of demos to the library");
  if (picked.outcome == FolderResult::Outcome::Failed) {
    ports_.dialogs.ShowMessage("The folder picker could not be shown.", AppTitle,
                               mb::OK | mb::IconExclamation);
    return;
  }
  std::string folder = picked.path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (picked.outcome != FolderResult::Outcome::Chosen || folder.empty()) return;
  const int include =
      ports_.dialogs.ShowMessage("Include the subfolders of " + folder + "?", Caption,
                                 mb::YesNoCancel | mb::IconQuestion | mb::DefButton1);
  if (include != answer::Yes && include != answer::No) return;
  std::vector<Root> roots = UserRoots();
  if (!PutUserRoot(roots, {folder, include == answer::Yes})) return;
  SaveUserRoots(roots);
  StartScan();
}

void LibraryWindow::RemoveFolder(int index) {
  std::vector<Root> roots = UserRoots();
  if (index < 0 || index >= static_cast<int>(roots.size())) return;
  roots.erase(roots.begin() + index);
  SaveUserRoots(roots);
  // A forgotten folder is watched no more. Only here, on the user's word: a watch never
  // ends while one of its own notices is being handled.
  const std::vector<Root> still = Roots();
  for (auto it = watches_.begin(); it != watches_.end();) {
    bool wanted = false;
    for (const Root& root : still) {
      wanted = wanted || it->first == util::ToLower(root.folder) + (root.subfolders ? "*" : "");
    }
    it = wanted ? std::next(it) : watches_.erase(it);
  }
  StartScan();
}

std::string LibraryWindow::FolderLabel(const Root& root) {
  return root.folder + (root.subfolders ? " (with subfolders)" : "");
}

void LibraryWindow::LoadLayout() {
  const std::vector<int> place = Numbers(ReadText(ports_, kPlaceValue));
  if (place.size() == 4 && place[2] > 0 && place[3] > 0) {
    layout.left = place[0];
    layout.top = place[1];
    layout.width = place[2];
    layout.height = place[3];
  }
  const std::vector<int> widths = Numbers(ReadText(ports_, kColumnsValue));
  if (widths.size() == kColumns) {
    for (int c = 0; c < kColumns; ++c) {
      layout.widths[static_cast<std::size_t>(c)] =
          std::clamp(widths[static_cast<std::size_t>(c)], 0, 4000);
    }
  }
  const std::vector<int> sort = Numbers(ReadText(ports_, kSortValue));
  if (sort.size() == 2 && sort[0] >= 0 && sort[0] < kColumns) {
    rows_.SetOrder(static_cast<Column>(sort[0]), sort[1] != 0);
  }
}

void LibraryWindow::SaveLayout() {
  if (layout.width > 0 && layout.height > 0) {
    WriteText(ports_, kPlaceValue,
              std::to_string(layout.left) + "," + std::to_string(layout.top) + "," +
                  std::to_string(layout.width) + "," + std::to_string(layout.height));
  }
  std::string widths;
  for (int width : layout.widths) {
    if (!widths.empty()) widths += ',';
    widths += std::to_string(width);
  }
  if (layout.widths[0] > 0) WriteText(ports_, kColumnsValue, widths);
  WriteText(ports_, kSortValue,
            std::to_string(SortColumn()) + "," + (SortDescending() ? "1" : "0"));
}

}  // namespace rd::library
