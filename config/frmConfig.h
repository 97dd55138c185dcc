#pragma once
#include <string>

#include "platform/forms/Controls.h"
#include "platform/forms/Host.h"
#include "platform/ports/Ports.h"

namespace rd {

// The configuration window: each game's executable location, and registering the file types.
class frmConfig {
 public:
  frmConfig(Ports& ports, AppHost& host);
  frmConfig(const frmConfig&) = delete;
  frmConfig& operator=(const frmConfig&) = delete;

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
