#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/GameCatalogue.h"
#include "demo/DemoReader.h"
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
  forms::Label lblDemo;  // what the demo the file box names says about itself
  forms::Button cmdSelect{"..."};
  forms::ComboBox cboGame{forms::ComboStyle::DropDownList, true};
  forms::ComboBox cboSpeed{forms::ComboStyle::DropDown, false};
  forms::ComboBox cboMod{forms::ComboStyle::DropDown, true};
  forms::ComboBox cboResolution{forms::ComboStyle::DropDownList, false};
  std::array<forms::Button, 3> cmdBottom{forms::Button{"&Cancel"}, forms::Button{"C&onfiguration"},
                                         forms::Button{"&Play"}};
  forms::Button cmdLibrary{"&Library..."};

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
  // A demo chosen in the library: taken exactly as if chosen in the open dialog.
  void TakeDemo(const std::string& path);
  // Files dropped on the window: the first is taken as if chosen in the open dialog; a
  // folder or a file that is no demo is passed over.
  void Form_DropFiles(const std::vector<std::string>& paths);
  // Started as "-play <demo>": Play at once with the window loaded but hidden; it shows
  // only when the play is refused or fails.
  void PlayFromCommandLine();
  // Whether the command line asks for that.
  static bool IsPlayCommand(const std::string& argumentText);

 private:
  void Play();
  // The questions asked before a launch; false when the user answered No to one.
  bool AskBeforePlaying(const catalogue::Game& game, const std::string& program,
                        const std::string& mod, const std::string& demo);
  void WriteSetting(std::string_view name, const std::string& text);
  // The demo at path, read again only when its size or time changed since the last read
  // (fresh tells); null when the path names no existing file.
  const demo::DemoInfo* DemoAt(const std::string& path, bool* fresh);
  // Reads the demo the file box names and shows what it says under the box.
  const demo::DemoInfo* ShowDemo(bool* fresh);
  // The mod the demo names into the mod box, when the selected game is the demo's.
  void TakeModFrom(const demo::DemoInfo& info);

  Ports& ports_;
  AppHost& host_;
  std::string commandLine_;
  bool quiet_ = false;          // loading for "-play": the choices it makes are not stored
  std::string dialogFileName_;  // the open dialog starts from the file chosen last
  bool demoKnown_ = false;      // demo_ holds what the last read of demoPath_ found
  std::string demoPath_;
  FileFacts demoFacts_;
  demo::DemoInfo demo_;
};

}  // namespace rd
