#include "config/frmConfig.h"

#include "fileassoc/AssociateDemoTypes.h"
#include "launcher/GameCatalogue.h"
#include "settings/modRegistry.h"

namespace rd {
namespace {

const catalogue::Game* SelectedGame(const forms::ComboBox& games) {
  return catalogue::FindByName(games.Text());
}

}  // namespace

frmConfig::frmConfig(Ports& ports, AppHost& host) : ports_(ports), host_(host) {
  cboGame.Click = [this] { cboGame_Click(); };
  txtLocation.Change = [this] { txtLocation_Change(); };
  txtLocation.Validate = [this](bool& cancel) { txtLocation_Validate(cancel); };
  cmdSelect.Click = [this] { cmdSelect_Click(); };
  cmdRegister.Click = [this] { cmdRegister_Click(); };
  cmdBottom.Click = [this] { cmdBottom_Click(); };
}

void frmConfig::Form_Load() {
  for (const catalogue::Game& game : catalogue::Games()) {
    cboGame.AddItem(std::string(game.displayName));
  }
  // Runs the game selection, which fills the location box, which stores it.
  cboGame.SetListIndex(0);
}

void frmConfig::cboGame_Click() {
  const catalogue::Game* game = SelectedGame(cboGame);
  if (!game) return;
  SettingValue location;
  modRegistry::ReadValue(ports_, std::string(catalogue::SettingsRoot),
                         std::string(catalogue::SettingsKey), std::string(game->locationValue), "S",
                         SettingValue(game->defaultLocation), location);
  txtLocation.SetText(location.TextForm(ports_.process.Numbers()));
}

void frmConfig::txtLocation_Change() {
  const catalogue::Game* game = SelectedGame(cboGame);
  if (!game) return;
  modRegistry::WriteValue(ports_, std::string(catalogue::SettingsRoot),
                          std::string(catalogue::SettingsKey), std::string(game->locationValue),
                          "S", SettingValue(txtLocation.Text()));
}

void frmConfig::txtLocation_Validate(bool& cancel) {
  // Only a warning: the text is stored already and the focus moves on.
  cancel = false;
  const FindResult found = ports_.files.FindFile(txtLocation.Text());
  if (found.status != FindStatus::Found) {
    ports_.dialogs.ShowMessage(
        "The specified program does not exist. Please select the correct executable.", AppTitle,
        mb::OK | mb::IconCritical);
  }
}

void frmConfig::cmdSelect_Click() {
  const OpenResult chosen =
      ports_.dialogs.ShowOpen(OpenRequest{SelectTitle, SelectFilter, std::string()});
  if (chosen.outcome != OpenResult::Outcome::Chosen) return;
  txtLocation.SetText(chosen.path);
}

void frmConfig::cmdRegister_Click() {
  const int answer = ports_.dialogs.ShowMessage(
      "Are you sure you wish to associate Replaydock with all the demo types it supports?",
      AppTitle, mb::YesNo | mb::IconQuestion);
  if (answer != answer::Yes) return;
  const modFunctions::AssociationResult result = modFunctions::AssociateDemoTypes(ports_);
  if (result.allWritten) {
    ports_.dialogs.ShowMessage("File types registered!", AppTitle, mb::OK | mb::IconInformation);
    return;
  }
  std::string text = "The file types could not be registered.";
  if (result.error != 0) {
    text += "\n\n";
    text += ports_.process.ErrorText(static_cast<std::uint32_t>(result.error));
  }
  ports_.dialogs.ShowMessage(text, AppTitle, mb::OK | mb::IconCritical);
}

void frmConfig::cmdBottom_Click() {
  host_.CloseConfig();
}

}  // namespace rd
