#pragma once
#include <string>

#include "forms/Controls.h"
#include "forms/Host.h"
#include "ports/Ports.h"

namespace rd {

// The splash window: the product's name, a notice and the contact address, for two
// seconds; its timer tick hands over to the main window.
class SplashWindow {
 public:
  SplashWindow(Ports& ports, AppHost& host);
  ~SplashWindow();
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  static constexpr const char* ContactAddress = "replaydock@tessaway.example";
  static constexpr unsigned TimerInterval = 2000;

  forms::Label lblTop;
  forms::Label lblInfo;
  forms::Label lblEMailAddress;

  // Loading: fills the labels and starts the timer.
  void Form_Load();
  // Unloading: stops the timer.
  void Form_Unload();
  void timTimer_Timer();
  void lblEMailAddress_Click();

 private:
  Ports& ports_;
  AppHost& host_;
  TimerId timer_ = 0;
  bool timerRunning_ = false;
};

}  // namespace rd
