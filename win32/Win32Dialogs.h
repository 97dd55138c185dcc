#pragma once
#include <string>

#include "ports/Dialogs.h"

namespace rd::win32 {

// "Label|pattern|Label|pattern" as the open dialog wants it: NUL-separated, NUL-NUL ended.
std::string FilterForDialog(const std::string& filter);

class Win32Dialogs final : public Dialogs {
 public:
  int ShowMessage(const std::string& text, const std::string& title, unsigned style) override;
  OpenResult ShowOpen(const OpenRequest& request) override;
  FolderResult ShowFolder(const std::string& title) override;
};

}  // namespace rd::win32
