#include "splash/frmSplash.h"

#include "util/modFunctions.h"

namespace rd {

namespace {
constexpr const char* TopCaption = "Tessaway Replaydock";
constexpr const char* InfoCaption =
    "Thank you for using Replaydock. Ideas and bug reports are welcome:\n"
    "please get in touch at the address below.";
}  // namespace

frmSplash::frmSplash(Ports& ports, AppHost& host) : ports_(ports), host_(host) {}

// The timer's callback points at this window: it must not outlive it.
frmSplash::~frmSplash() { Form_Unload(); }

void frmSplash::Form_Load() {
  lblTop.SetCaption(TopCaption);
  lblInfo.SetCaption(InfoCaption);
  lblEMailAddress.SetCaption(ContactAddress);
  if (timerRunning_) return;
  timer_ = ports_.timer.Start(TimerInterval, [this] { timTimer_Timer(); });
  timerRunning_ = true;
}

void frmSplash::Form_Unload() {
  if (!timerRunning_) return;
  timerRunning_ = false;
  ports_.timer.Stop(timer_);
}

void frmSplash::timTimer_Timer() { host_.HandOver(); }

void frmSplash::lblEMailAddress_Click() {
  modFunctions::RunProgram(ports_, std::string("mailto:") + ContactAddress, "");
}

}  // namespace rd
