#pragma once
#include <optional>
#include <string>

#include "forms/Controls.h"
#include "forms/Host.h"
#include "catalogue/GameCatalogue.h"
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
  // The executable found on this computer, offered while the location names no existing
  // file: its caption is empty, and the button disabled, when there is nothing to offer.
  forms::Label lblFound;
  forms::Button cmdUseFound{"&Use"};

  // The opening steps; run once, when the window is created.
  void Form_Load();
  void cboGame_Click();
  void txtLocation_Change();
  void txtLocation_Validate(bool& cancel);
  void cmdSelect_Click();
  void cmdRegister_Click();
  void cmdBottom_Click();
  void cmdUseFound_Click();

  static constexpr const char* FoundPrefix = "Found: ";

 private:
  // Offers the first executable found when the location is no existing file.
  void OfferFound(bool locationExists);

  Ports& ports_;
  AppHost& host_;
  std::string offered_;
};

// The game's executable location as stored, or nothing when none is.
std::optional<std::string> ReadStoredLocation(Ports& ports, const catalogue::Game& game);
// The first executable of the game found on this computer, or else the catalogue's default.
std::string DefaultGameLocation(AppHost& host, const catalogue::Game& game);
// The game's stored executable location; when none is stored, the first executable found
// on this computer, or else the catalogue's default.
std::string ReadGameLocation(Ports& ports, AppHost& host, const catalogue::Game& game);

}  // namespace rd
