#include "win32/Win32Background.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace rd::win32 {
namespace {

constexpr const char* kClass = "ReplaydockJobs";
constexpr UINT kWake = WM_APP + 1;

// What the window and the workers share; the workers hold it alive past the jobs.
struct Queue {
  std::mutex lock;
  std::deque<std::function<void()>> steps;
  HWND window = nullptr;
  bool woken = false;
};

class Win32Jobs final : public Jobs {
 public:
  Win32Jobs() : queue_(std::make_shared<Queue>()) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    if (!GetClassInfoExA(instance, kClass, &cls)) {
      cls = WNDCLASSEXA{};
      cls.cbSize = sizeof cls;
      cls.lpfnWndProc = &Win32Jobs::WindowProc;
      cls.hInstance = instance;
      cls.lpszClassName = kClass;
      RegisterClassExA(&cls);
    }
    queue_->window = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr);
    if (queue_->window) {
      SetWindowLongPtrA(queue_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
  }
  ~Win32Jobs() override {
    *alive_ = false;
    Stop();
    if (queue_->window) {
      SetWindowLongPtrA(queue_->window, GWLP_USERDATA, 0);
      DestroyWindow(queue_->window);
    }
    std::lock_guard<std::mutex> guard(queue_->lock);
    queue_->window = nullptr;
  }

  void Start(Work work) override {
    const std::shared_ptr<Queue> queue = queue_;
    const std::shared_ptr<std::atomic<bool>> stop = stop_;
    threads_.emplace_back([queue, stop, work = std::move(work)] {
      const Deliver deliver = [queue, stop](std::function<void()> step) {
        if (*stop) return;
        std::lock_guard<std::mutex> guard(queue->lock);
        queue->steps.push_back(std::move(step));
        if (!queue->woken && queue->window) {
          queue->woken = PostMessageA(queue->window, kWake, 0, 0) != 0;
        }
      };
      try {
        work(deliver, *stop);
      } catch (...) {
        // A worker that failed has nothing more to hand back.
      }
    });
  }

  void Stop() override {
    *stop_ = true;
    for (std::thread& thread : threads_) {
      if (thread.joinable()) thread.join();
    }
    threads_.clear();
    {
      std::lock_guard<std::mutex> guard(queue_->lock);
      queue_->steps.clear();
    }
    ++generation_;
    stop_ = std::make_shared<std::atomic<bool>>(false);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* jobs = reinterpret_cast<Win32Jobs*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != kWake || !jobs) return DefWindowProcA(window, message, wParam, lParam);
    jobs->Drain();
    return 0;
  }

  void Drain() {
    std::deque<std::function<void()>> batch;
    {
      std::lock_guard<std::mutex> guard(queue_->lock);
      batch.swap(queue_->steps);
      queue_->woken = false;
    }
    const unsigned generation = generation_;
    const std::shared_ptr<bool> alive = alive_;
    for (auto& step : batch) {
      // A step may stop the jobs, or close the window that owns them.
      if (!*alive || generation != generation_) return;
      try {
        step();
      } catch (...) {
      }
    }
  }

  std::shared_ptr<Queue> queue_;
  std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
  std::vector<std::thread> threads_;
  unsigned generation_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

 public:
  Win32Jobs(const Win32Jobs&) = delete;
  Win32Jobs& operator=(const Win32Jobs&) = delete;
};

}  // namespace

std::unique_ptr<Jobs> Win32Background::NewJobs() { return std::make_unique<Win32Jobs>(); }

}  // namespace rd::win32
