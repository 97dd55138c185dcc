#pragma once
#include <atomic>
#include <functional>
#include <memory>

namespace rd {

// Hands a step back to the window's thread. Callable from any thread; never waits for the
// window, so a worker can never be stuck behind it.
using Deliver = std::function<void(std::function<void()> step)>;
using Work = std::function<void(const Deliver& deliver, const std::atomic<bool>& stop)>;

// One window's work off its thread. The steps handed back run on the window's thread, in
// the order handed, each between two of the window's messages.
class Jobs {
 public:
  virtual ~Jobs() = default;  // as Stop

  // Runs work on a thread of its own; work should end soon once stop holds.
  virtual void Start(Work work) = 0;
  // Asks every running work to end, waits until it has, and drops the steps not yet run;
  // Start may be called again afterwards.
  virtual void Stop() = 0;
};

class Background {
 public:
  virtual ~Background() = default;
  // Jobs whose steps run on the calling (window's) thread.
  virtual std::unique_ptr<Jobs> NewJobs() = 0;
};

}  // namespace rd
