#pragma once
#include <set>

#include "ports/Timer.h"

namespace rd::win32 {

// Thread timers (no window): any message loop on the thread delivers their ticks.
class Win32Timer final : public Timer {
 public:
  ~Win32Timer() override;

  TimerId Start(unsigned intervalMs, std::function<void()> tick) override;
  void Stop(TimerId id) override;

 private:
  std::set<TimerId> started_;  // this instance's timers, stopped when it goes
};

}  // namespace rd::win32
