#pragma once
#include <string>

#include "forms/Controls.h"
#include "forms/Host.h"
#include "ports/Ports.h"

namespace rd {

// The configuration window: each game's executable location, and registering the file types.
class ConfigWindow {
 public:
  ConfigWindow(Ports& ports, AppHost& host);
  ConfigWindow(const ConfigWindow&) = delete;
  ConfigWindow& operator=(const ConfigWindow&) = delete;

  static constexpr const char* Caption = "Configuration";
  // The open dialog of the "..." button.
  static constexpr const char* SelectTitle = "Program Location";
  static constexpr const char* SelectFilter = "Executable Files (*.exe)|*.exe";

  forms::Button cmdBottom{"&Done"};
  forms::ComboBox cboGame{forms::ComboStyle::DropDownList, false};
  forms::TextBox txtLocation;
  forms::Button cmdSelect{"..."};
  forms::Button cmdRegister{"&Register File Types"};

  // The opening steps; run once, when the window is created.
  void Form_Load();
  void cboGame_Click();
  void txtLocation_Change();
  void txtLocation_Validate(bool& cancel);
  void cmdSelect_Click();
  void cmdRegister_Click();
  void cmdBottom_Click();

 private:
  Ports& ports_;
  AppHost& host_;
};

}  // namespace rd
