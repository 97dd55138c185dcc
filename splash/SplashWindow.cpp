#include "splash/SplashWindow.h"

#include "util/PathHelpers.h"

namespace rd {

namespace {
constexpr const char* TopCaption = "Tessaway Replaydock";
constexpr const char* InfoCaption =
    "Thank you for using Replaydock. Ideas and bug reports are welcome:\n"
    "please get in touch at the address below.";
}  // namespace

SplashWindow::SplashWindow(Ports& ports, AppHost& host) : ports_(ports), host_(host) {}

// The timer's callback points at this window: it must not outlive it.
SplashWindow::~SplashWindow() { Form_Unload(); }

void SplashWindow::Form_Load() {
  lblTop.SetCaption(TopCaption);
  lblInfo.SetCaption(InfoCaption);
  lblEMailAddress.SetCaption(ContactAddress);
  if (timerRunning_) return;
  timer_ = ports_.timer.Start(TimerInterval, [this] { timTimer_Timer(); });
  timerRunning_ = true;
}

void SplashWindow::Form_Unload() {
  if (!timerRunning_) return;
  timerRunning_ = false;
  ports_.timer.Stop(timer_);
}

void SplashWindow::timTimer_Timer() { host_.HandOver(); }

void SplashWindow::lblEMailAddress_Click() {
  PathHelpers::RunProgram(ports_, std::string("mailto:") + ContactAddress, "");
}

}  // namespace rd
