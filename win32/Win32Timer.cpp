#include "win32/Win32Timer.h"

#include <windows.h>

#include <map>

namespace rd::win32 {
namespace {

// TimerProc carries no context, so the callbacks live here, by timer id.
std::map<UINT_PTR, std::function<void()>>& Callbacks() {
  static std::map<UINT_PTR, std::function<void()>> callbacks;
  return callbacks;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
  const auto it = Callbacks().find(id);
  if (it == Callbacks().end()) return;
  auto tick = it->second;  // the tick may stop its own timer
  try {
    if (tick) tick();
  } catch (...) {
    // Nothing may unwind through the system's frames.
  }
}

}  // namespace

Win32Timer::~Win32Timer() {
  for (const TimerId id : started_) {
    KillTimer(nullptr, id);
    Callbacks().erase(id);
  }
}

TimerId Win32Timer::Start(unsigned intervalMs, std::function<void()> tick) {
  const UINT_PTR id = SetTimer(nullptr, 0, intervalMs, OnTick);
  if (id == 0) return 0;
  Callbacks()[id] = std::move(tick);
  started_.insert(id);
  return id;
}

void Win32Timer::Stop(TimerId id) {
  if (started_.erase(id) == 0) return;
  Callbacks().erase(id);
  KillTimer(nullptr, id);
}

}  // namespace rd::win32
