#include "config/ConfigWindow.h"

#include "fileassoc/AssociateDemoTypes.h"
#include "catalogue/GameCatalogue.h"
#include "ports/WinErrors.h"
#include "settings/SettingsStore.h"
#include "util/Text.h"
#include "util/PathHelpers.h"

namespace rd {
namespace {

const catalogue::Game* SelectedGame(const forms::ComboBox& games) {
  return catalogue::FindByName(games.Text());
}

}  // namespace

std::optional<std::string> ReadStoredLocation(Ports& ports, const catalogue::Game& game) {
  SettingValue location;
  SettingsStore::ReadValue(ports, std::string(catalogue::SettingsRoot),
                           std::string(catalogue::SettingsKey), std::string(game.locationValue),
                           "S", SettingValue(), location);
  if (location.IsEmpty()) return std::nullopt;
  return location.TextForm(ports.process.Numbers());
}

std::string DefaultGameLocation(AppHost& host, const catalogue::Game& game) {
  const std::vector<std::string> found = host.FoundExecutables(std::string(game.displayName));
  return found.empty() ? std::string(game.defaultLocation) : found.front();
}

std::string ReadGameLocation(Ports& ports, AppHost& host, const catalogue::Game& game) {
  const std::optional<std::string> stored = ReadStoredLocation(ports, game);
  return stored ? *stored : DefaultGameLocation(host, game);
}

ConfigWindow::ConfigWindow(Ports& ports, AppHost& host) : ports_(ports), host_(host) {
  cboGame.Click = [this] { cboGame_Click(); };
  txtLocation.Change = [this] { txtLocation_Change(); };
  txtLocation.Validate = [this](bool& cancel) { txtLocation_Validate(cancel); };
  cmdSelect.Click = [this] { cmdSelect_Click(); };
  cmdRegister.Click = [this] { cmdRegister_Click(); };
  cmdBottom.Click = [this] { cmdBottom_Click(); };
  cmdUseFound.Click = [this] { cmdUseFound_Click(); };
  cmdUseFound.SetEnabled(false);
  // The offer replaces the location, so a warning about the old one would only cost the click.
  cmdUseFound.causesValidation = false;
}

void ConfigWindow::Form_Load() {
  for (const catalogue::Game& game : catalogue::Games()) {
    cboGame.AddItem(std::string(game.displayName));
  }
  // Runs the game selection, which fills the location box, which stores it.
  cboGame.SetListIndex(0);
}

void ConfigWindow::cboGame_Click() {
  const catalogue::Game* game = SelectedGame(cboGame);
  if (!game) return;
  const std::optional<std::string> stored = ReadStoredLocation(ports_, *game);
  if (!stored) {
    // Found or the default: either way nothing better to offer.
    txtLocation.SetText(DefaultGameLocation(host_, *game));
    OfferFound(true);
    return;
  }
  txtLocation.SetText(*stored);
  // Only whether the file is there: the file search stays the check on leaving the box.
  FileFacts facts;
  OfferFound(ports_.files.Facts(*stored, facts) == 0);
}

void ConfigWindow::txtLocation_Change() {
  const catalogue::Game* game = SelectedGame(cboGame);
  if (!game) return;
  SettingsStore::WriteValue(ports_, std::string(catalogue::SettingsRoot),
                          std::string(catalogue::SettingsKey), std::string(game->locationValue),
                          "S", SettingValue(txtLocation.Text()));
}

void ConfigWindow::txtLocation_Validate(bool& cancel) {
  // Only a warning: the text is stored already and the focus moves on.
  cancel = false;
  const FindResult found = ports_.files.FindFile(txtLocation.Text());
  OfferFound(found.status == FindStatus::Found);
  if (found.error == winerr::FilenameTooLong || PathHelpers::TooLongToStart(txtLocation.Text())) {
    ports_.dialogs.ShowMessage(
        PathHelpers::TooLongText("the specified program", txtLocation.Text(),
                                 "Please select an executable with a shorter path."),
        AppTitle, mb::OK | mb::IconCritical);
  } else if (found.status != FindStatus::Found) {
    ports_.dialogs.ShowMessage(
        "The specified program does not exist. Please select the correct executable.", AppTitle,
        mb::OK | mb::IconCritical);
  }
}

void ConfigWindow::cmdSelect_Click() {
  const OpenResult chosen =
      ports_.dialogs.ShowOpen(OpenRequest{SelectTitle, SelectFilter, std::string()});
  if (chosen.outcome != OpenResult::Outcome::Chosen) return;
  txtLocation.SetText(chosen.path);
  FileFacts facts;
  if (!offered_.empty()) OfferFound(ports_.files.Facts(chosen.path, facts) == 0);
}

void ConfigWindow::cmdRegister_Click() {
  const int answer = ports_.dialogs.ShowMessage(
      "Are you sure you wish to associate Replaydock with all the demo types it supports?",
      AppTitle, mb::YesNo | mb::IconQuestion);
  if (answer != answer::Yes) return;
  const PathHelpers::AssociationResult result = PathHelpers::AssociateDemoTypes(ports_);
  if (result.allWritten) {
    ports_.dialogs.ShowMessage("File types registered!", AppTitle, mb::OK | mb::IconInformation);
    return;
  }
  std::string text = "The file types could not be registered.";
  if (result.error == winerr::FilenameTooLong) {
    text = PathHelpers::TooLongText("Replaydock", PathHelpers::ProgramPath(ports_),
                                    "Please move the program to a shorter path, then register "
                                    "the file types again.");
  } else if (result.error != 0) {
    text += "\n\n";
    text += ports_.process.ErrorText(static_cast<std::uint32_t>(result.error));
  }
  ports_.dialogs.ShowMessage(text, AppTitle, mb::OK | mb::IconCritical);
}

void ConfigWindow::cmdBottom_Click() {
  host_.CloseConfig();
}

void ConfigWindow::cmdUseFound_Click() {
  if (offered_.empty()) return;
  const std::string chosen = offered_;
  OfferFound(true);
  txtLocation.SetText(chosen);
}

void ConfigWindow::OfferFound(bool locationExists) {
  std::string offer;
  const catalogue::Game* game = SelectedGame(cboGame);
  if (game && !locationExists) {
    const std::vector<std::string> found = host_.FoundExecutables(std::string(game->displayName));
    if (!found.empty() && !util::EqualsNoCase(found.front(), txtLocation.Text())) {
      offer = found.front();
    }
  }
  if (offer == offered_) return;
  offered_ = offer;
  lblFound.SetCaption(offer.empty() ? std::string() : FoundPrefix + offer);
  cmdUseFound.SetEnabled(!offer.empty());
}

}  // namespace rd
