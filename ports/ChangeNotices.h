#pragma once
#include <functional>
#include <memory>
#include <string>

namespace rd {

// One folder being watched; destroying it stops the watch at once.
class Watch {
 public:
  virtual ~Watch() = default;
};

// Windows' change notification on folders.
class ChangeNotices {
 public:
  virtual ~ChangeNotices() = default;
  // Watches a folder (and everything below it, when asked) for files added, removed,
  // renamed or written. changed runs on the calling (window's) thread, once after a burst
  // of changes has gone quiet. Null when the folder cannot be watched (missing, say).
  virtual std::unique_ptr<Watch> WatchFolder(const std::string& folder, bool subfolders,
                                             std::function<void()> changed) = 0;
};

}  // namespace rd
