#pragma once
#include "ports/Background.h"
#include "ports/ChangeNotices.h"

namespace rd::win32 {

// FindFirstChangeNotification on a worker of its own per folder, handing each quiet burst
// back through the background port.
class Win32ChangeNotices final : public ChangeNotices {
 public:
  explicit Win32ChangeNotices(Background& background) : background_(background) {}
  std::unique_ptr<Watch> WatchFolder(const std::string& folder, bool subfolders,
                                     std::function<void()> changed) override;

 private:
  Background& background_;
};

}  // namespace rd::win32
