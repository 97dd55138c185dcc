#pragma once
#include "ports/Background.h"

namespace rd::win32 {

// Work on threads of its own; the steps it hands back are posted to a message-only window
// of the creating thread, one wake per batch.
class Win32Background final : public Background {
 public:
  std::unique_ptr<Jobs> NewJobs() override;
};

}  // namespace rd::win32
