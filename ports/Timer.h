#pragma once
#include <cstdint>
#include <functional>

namespace rd {

using TimerId = std::uintptr_t;

// A window timer: ticks are delivered by whichever message loop is running, nested
// loops of message boxes and modal windows included.
class Timer {
 public:
  virtual ~Timer() = default;

  virtual TimerId Start(unsigned intervalMs, std::function<void()> tick) = 0;
  virtual void Stop(TimerId id) = 0;
};

}  // namespace rd
