#pragma once
#include "ports/Shell.h"

namespace rd::win32 {

class Win32Shell final : public Shell {
 public:
  std::intptr_t Execute(WindowHandle owner, const char* operation, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show) override;
  void NotifyAssociationsChanged() override;
};

}  // namespace rd::win32
