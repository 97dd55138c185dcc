#include "win32/Win32ChangeNotices.h"

#include <windows.h>

#include <string>

#include "win32/WideText.h"

namespace rd::win32 {
namespace {

constexpr DWORD kQuietMs = 300;  // a copy in progress signals many times
constexpr DWORD kLookMs = 100;   // how soon a stop is seen

class Win32Watch final : public Watch {
 public:
  Win32Watch(std::unique_ptr<Jobs> jobs, HANDLE notice) : jobs_(std::move(jobs)), notice_(notice) {}
  ~Win32Watch() override {
    jobs_->Stop();  // the worker has let go of the handle
    FindCloseChangeNotification(notice_);
  }
  Win32Watch(const Win32Watch&) = delete;
  Win32Watch& operator=(const Win32Watch&) = delete;

 private:
  std::unique_ptr<Jobs> jobs_;
  HANDLE notice_;
};

}  // namespace

std::unique_ptr<Watch> Win32ChangeNotices::WatchFolder(const std::string& folder, bool subfolders,
                                                       std::function<void()> changed) {
  const HANDLE notice = FindFirstChangeNotificationW(
      Wide(folder).c_str(), subfolders ? TRUE : FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
          FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (notice == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<Jobs> jobs = background_.NewJobs();
  jobs->Start([notice, changed = std::move(changed)](const Deliver& deliver,
                                                     const std::atomic<bool>& stop) {
    while (!stop) {
      if (WaitForSingleObject(notice, kLookMs) != WAIT_OBJECT_0) continue;
      // Wait for the burst to go quiet, then tell once.
      bool more = true;
      while (more && !stop) {
        if (!FindNextChangeNotification(notice)) return;
        more = WaitForSingleObject(notice, kQuietMs) == WAIT_OBJECT_0;
      }
      if (!stop) deliver(changed);
    }
  });
  return std::make_unique<Win32Watch>(std::move(jobs), notice);
}

}  // namespace rd::win32
