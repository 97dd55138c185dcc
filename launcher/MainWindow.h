#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "forms/Controls.h"
#include "forms/Host.h"
#include "ports/Ports.h"

namespace rd {

// The main window: the demo file, its game, mod, speed and resolution, and the button row.
class MainWindow {
 public:
  MainWindow(Ports& ports, AppHost& host);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The window's caption; the header title lblTop carries the version.
  static constexpr const char* Caption = "Tessaway Replaydock";

  forms::Label lblTop;
  forms::Label lblInfo;
  forms::TextBox txtFilename;
  forms::Button cmdSelect{"..."};
  forms::ComboBox cboGame{forms::ComboStyle::DropDownList, true};
  forms::ComboBox cboSpeed{forms::ComboStyle::DropDown, false};
  forms::ComboBox cboMod{forms::ComboStyle::DropDown, true};
  forms::ComboBox cboResolution{forms::ComboStyle::DropDownList, false};
  std::array<forms::Button, 3> cmdBottom{forms::Button{"&Cancel"}, forms::Button{"C&onfiguration"},
                                         forms::Button{"&Play"}};

  void Form_Load();
  void LoadSettings();
  void DetectGame();
  void cboGame_Click();
  void cboMod_Change();
  void cboMod_Click();
  void cboSpeed_Validate(bool& cancel);
  void cmdSelect_Click();
  void txtFilename_Change();
  void cmdBottom_Click(std::int16_t index);

 private:
  void Play();

  Ports& ports_;
  AppHost& host_;
  std::string commandLine_;
  std::string dialogFileName_;  // the open dialog starts from the file chosen last
};

}  // namespace rd
