#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/Host.h"
#include "library/Rows.h"
#include "library/Scan.h"
#include "pictures/MapPictures.h"
#include "ports/Ports.h"

namespace rd::library {

// What the library asks of the window that opened it.
class LibraryOwner {
 public:
  virtual ~LibraryOwner() = default;
  // The demo into the file box, exactly as if chosen in the open dialog.
  virtual void TakeDemo(const std::string& path) = 0;
  // The demo into the file box, then played at once as the Play button plays.
  virtual void PlayDemo(const std::string& path) = 0;
  // What the file box names now.
  virtual std::string CurrentDemo() = 0;
  virtual void CloseLibrary() = 0;
};

// A picture for the pane, top row first, four bytes (red, green, blue, alpha) a pixel.
using Picture = pictures::Image;

// The library window: every demo found in the games' demo folders, the file box's folder
// and the folders the user added, described, searchable and played with one key.
class LibraryWindow {
 public:
  LibraryWindow(Ports& ports, AppHost& host, LibraryOwner& owner);
  ~LibraryWindow();
  LibraryWindow(const LibraryWindow&) = delete;
  LibraryWindow& operator=(const LibraryWindow&) = delete;

  static constexpr const char* Caption = "Replaydock Library";
  static constexpr const char* SearchCue = "Search map, mod, player or name";
  static constexpr const char* NoPicture = "No picture of this map";

  forms::TextBox txtSearch;
  forms::Label lblStatus;   // the progress line, then the count
  forms::Label lblLine;     // the selected demo's whole line of facts
  forms::Label lblPlayers;  // and every player in it

  // The cache at once, then a scan of every folder on a worker.
  void Form_Load();
  // Stops the scan and stores the layout.
  void Form_Unload();
  void Rescan();  // F5
  bool Scanning() const { return scanning_; }
  // Folders dropped on the window are added to the library, with their subfolders.
  void Form_DropFiles(const std::vector<std::string>& paths);
  // "Add folder...": a folder picked, then whether its subfolders count too. A folder
  // already added takes the new answer.
  void AddFolder();
  // The folders the user added, in the order added, and forgetting one: its demos leave the
  // list; nothing on disk is touched.
  std::vector<Root> UserFolders() { return UserRoots(); }
  void RemoveFolder(int index);
  static std::string FolderLabel(const Root& root);

  // The list, row by row as shown.
  int RowCount() const { return rows_.Shown(); }
  std::string CellText(int row, int column) const;
  bool Greyed(int row) const;  // could not be read
  std::string PathOf(int row) const;
  void HeaderClicked(int column);  // a second click on the same column reverses
  int SortColumn() const { return static_cast<int>(rows_.OrderColumn()); }
  bool SortDescending() const { return rows_.Descending(); }
  void SelectRow(int row);  // -1: none
  int SelectedRow() const;
  // The first row from start on (wrapping round when asked) whose name begins with prefix.
  int FindPrefix(const std::string& prefix, int start, bool wrap) const;

  void Activate(int row);    // Enter, double-click, "Show in the main window"
  void PlayRow(int row);     // Ctrl+Enter, "Play"
  void OpenFolder(int row);  // Explorer with the file selected
  void Close();              // Esc

  // The view: the rows were rebuilt (count, order or contents); SelectedRow is current.
  std::function<void()> OnRowsChanged;

  // The pane's picture of the selected demo's map, looked up on a worker: nothing while it
  // is being looked for; PictureMissing once the map is known to have none.
  const std::optional<Picture>& CurrentPicture() const { return picture_; }
  bool PictureMissing() const { return pictureMissing_; }
  std::function<void()> OnPictureChanged;

  // Where the window was and how its columns were (pixels at 96 DPI; 0: not known).
  struct Layout {
    int left = 0, top = 0, width = 0, height = 0;
    std::array<int, kColumns> widths{};
  };
  Layout layout;

  const std::string& CacheFile() const { return cachePath_; }
  std::vector<Root> Roots();

 private:
  void StartScan();
  // The listing is in: forgets what is gone, reads what is new or changed.
  void Listed(std::vector<Found> found);
  void ScanEnded(bool changed);
  // Each root watched once; a change rescans (after the scan under way, if any).
  void WatchRoots(const std::vector<Root>& roots);
  void Changed();
  void Refreshed();
  void ShowSelected();
  void LookForPicture(const Demo& demo);
  void PictureFound(const std::string& key, std::optional<Picture> picture);
  void SetPicture(std::optional<Picture> picture, bool missing);
  void SaveCache();
  void Status();
  void SaveLayout();
  void LoadLayout();
  std::vector<Root> UserRoots();
  void SaveUserRoots(const std::vector<Root>& roots);
  // Adds or updates the folder; whether the list of folders changed.
  bool PutUserRoot(std::vector<Root>& roots, const Root& root);

  Ports& ports_;
  AppHost& host_;
  LibraryOwner& owner_;
  Rows rows_;
  std::unique_ptr<Jobs> jobs_;
  std::map<std::string, std::unique_ptr<Watch>> watches_;  // lower-case folder -> its watch
  bool rescanWanted_ = false;
  std::string cachePath_;
  std::string selectedPath_;
  // The map pictures of the process, shared by every library window while one is open.
  std::shared_ptr<pictures::MapPictures> pictures_;
  std::unique_ptr<Jobs> pictureJobs_;  // one worker at most, on the latest selection
  struct PictureWanted;
  std::shared_ptr<PictureWanted> wanted_;
  std::map<std::string, std::string> gameFolders_;  // display name -> the program's folder
  std::string pictureKey_;  // of the demo whose picture is shown or looked for
  std::optional<Picture> picture_;
  bool pictureMissing_ = false;
  std::vector<std::string> savedIndexes_;  // as the cache file holds them
  bool scanning_ = false;
  int reading_ = 0, toRead_ = 0;
  int readers_ = 0;  // reading workers not yet ended
  bool closed_ = false;
};

}  // namespace rd::library
