#include "launcher/MainWindow.h"

#include <algorithm>

#include "config/ConfigWindow.h"
#include "demo/DemoSummary.h"
#include "catalogue/Engines.h"
#include "catalogue/GameCatalogue.h"
#include "launcher/PlayCommand.h"
#include "launcher/Startup.h"
#include "ports/WinErrors.h"
#include "settings/SettingsStore.h"
#include "util/Numeric.h"
#include "util/Text.h"
#include "util/PathHelpers.h"

namespace rd {
namespace {

constexpr const char* kInfo = "Select the required parameters for the demo, then click Play.";
constexpr const char* kTitlePrefix = "Tessaway Replaydock v";
constexpr const char* kDialogTitle = "Demo Location";
constexpr const char* kDefaultResolution = "Default";
constexpr const char* kNoDemo = "You must select a demo file to play first";
constexpr const char* kDemoMissing =
    "The specified demo file does not exist. Please select a valid file and try again.";
constexpr const char* kNoGame = "You must select a game first";
constexpr unsigned kErrorStyle = mb::OK | mb::IconCritical;
constexpr const char* kPlayOption = "-play ";
constexpr int kHalfLifeProtocol = 48;

// The demo's protocol: what it says, else the number its extension carries.
int ProtocolOf(const demo::DemoInfo* info, const std::string& path) {
  if (info && info->read && info->engine == demo::Engine::Quake3 && info->protocol > 0) {
    return info->protocol;
  }
  const auto dot = path.rfind(".dm_");
  if (dot == std::string::npos) return 0;
  int n = 0;
  for (std::size_t i = dot + 4; i < path.size() && n < 1000; ++i) {
    if (path[i] < '0' || path[i] > '9') return 0;
    n = n * 10 + (path[i] - '0');
  }
  return n;
}

const char* const kSpeeds[] = {"0.5", "1", "2", "3"};
const char* const kResolutions[] = {"Default",  "640x480",  "800x600",
                                    "1024x768", "1152x864", "1280x1024"};

std::string ReadSetting(Ports& ports, std::string_view name, std::string_view defaultText) {
  SettingValue value;
  SettingsStore::ReadValue(ports, std::string(catalogue::SettingsRoot),
                         std::string(catalogue::SettingsKey), std::string(name), "S",
                         SettingValue(defaultText), value);
  return value.TextForm(ports.process.Numbers());
}

void StoreSetting(Ports& ports, std::string_view name, const std::string& text) {
  SettingsStore::WriteValue(ports, std::string(catalogue::SettingsRoot),
                          std::string(catalogue::SettingsKey), std::string(name), "S",
                          SettingValue(text));
}

// The shell passes a path that holds blanks in one pair of quotes; anything else is the
// path itself.
std::string WithoutEnclosingQuotes(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"' &&
      text.find('"', 1) == text.size() - 1) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

// One entry for every extension: the original ones in catalogue order, then the later ones.
std::string DialogFilter() {
  std::vector<std::string_view> extensions;
  for (const catalogue::Game& game : catalogue::Games()) extensions.push_back(game.extension);
  for (const catalogue::Game& game : catalogue::Games()) {
    extensions.insert(extensions.end(), game.laterExtensions.begin(), game.laterExtensions.end());
  }
  std::string label, patterns;
  for (std::string_view extension : extensions) {
    label += (label.empty() ? "*" : ", *") + std::string(extension);
    patterns += (patterns.empty() ? "*" : ";*") + std::string(extension);
  }
  return "Demo Files (" + label + ")|" + patterns;
}

}  // namespace

MainWindow::MainWindow(Ports& ports, AppHost& host) : ports_(ports), host_(host) {
  lblInfo.SetCaption(kInfo);
  for (const char* speed : kSpeeds) cboSpeed.AddItem(speed);
  cboSpeed.SetText("1");
  for (const char* resolution : kResolutions) cboResolution.AddItem(resolution);

  txtFilename.Change = [this] { txtFilename_Change(); };
  cboGame.Click = [this] { cboGame_Click(); };
  cboMod.Change = [this] { cboMod_Change(); };
  cboMod.Click = [this] { cboMod_Click(); };
  cboSpeed.Validate = [this](bool& cancel) { cboSpeed_Validate(cancel); };
  cmdSelect.Click = [this] { cmdSelect_Click(); };
  cmdLibrary.Click = [this] { host_.ShowLibraryModal(); };
  for (std::size_t i = 0; i < cmdBottom.size(); ++i) {
    cmdBottom[i].Click = [this, i] { cmdBottom_Click(static_cast<std::int16_t>(i)); };
  }
}

void MainWindow::WriteSetting(std::string_view name, const std::string& text) {
  if (!quiet_) StoreSetting(ports_, name, text);
}

bool MainWindow::IsPlayCommand(const std::string& argumentText) {
  return util::EqualsNoCase(argumentText.substr(0, 6), kPlayOption);
}

void MainWindow::PlayFromCommandLine() {
  quiet_ = false;
  Play();
}

void MainWindow::Form_Load() {
  const ProgramVersion version = ports_.process.Version();
  lblTop.SetCaption(kTitlePrefix + std::to_string(version.major) + "." +
                    std::to_string(version.minor) + "." + std::to_string(version.revision));
  for (const catalogue::Game& game : catalogue::Games()) {
    cboGame.AddItem(std::string(game.displayName));
  }
  cboResolution.SetText(kDefaultResolution);
  commandLine_ = ports_.process.CommandLineText();
  if (IsPlayCommand(commandLine_)) {
    quiet_ = true;
    commandLine_ = util::TrimSpaces(commandLine_.substr(6));
  }
  txtFilename.SetText(PathHelpers::GetLongPath(ports_, WithoutEnclosingQuotes(commandLine_)));
  LoadSettings();
}

void MainWindow::LoadSettings() {
  if (commandLine_.empty()) {
    cboGame.SetText(
        ReadSetting(ports_, catalogue::DefaultGameValue, catalogue::DefaultGameDefault));
    txtFilename.SetText(
        ReadSetting(ports_, catalogue::LastFilenameValue, catalogue::LastFilenameDefault));
  }
  DetectGame();
  FirstRunCheck(ports_, host_);
}

void MainWindow::DetectGame() {
  const std::string text = txtFilename.Text();
  const FindResult found = ports_.files.FindFile(text);
  if (found.status == FindStatus::Error) return;

  // A game whose demos are told by an existing file's name first; then the others by the
  // text alone, so a demo that is not there yet still selects its game.
  const catalogue::Game* named = nullptr;
  for (const catalogue::Game& game : catalogue::Games()) {
    if (!named && game.detectedFromExistingFile && found.status == FindStatus::Found &&
        catalogue::EndsWithExtensionOf(game, found.name)) {
      named = &game;
    }
  }
  for (const catalogue::Game& game : catalogue::Games()) {
    if (!named && !game.detectedFromExistingFile && catalogue::EndsWithExtensionOf(game, text)) {
      named = &game;
    }
  }
  // What the demo itself says wins over a name that names no game or another one.
  const demo::DemoInfo* info = ShowDemo(nullptr);
  const bool read = info && info->read && found.status == FindStatus::Found;
  const catalogue::Game* game = read ? summary::GameOf(*info, named) : named;
  if (game) cboGame.SetText(std::string(game->displayName));
  if (read) TakeModFrom(*info);
}

const demo::DemoInfo* MainWindow::DemoAt(const std::string& path, bool* fresh) {
  FileFacts facts;
  if (path.empty() || ports_.files.Facts(path, facts) != 0) return nullptr;
  const bool same = demoKnown_ && path == demoPath_ && facts.size == demoFacts_.size &&
                    facts.writeTime == demoFacts_.writeTime;
  if (!same) {
    demo_ = demo::ReadDemo(ports_.files, path);
    demoKnown_ = true;
    demoPath_ = path;
    demoFacts_ = facts;
  }
  if (fresh) *fresh = !same;
  return &demo_;
}

const demo::DemoInfo* MainWindow::ShowDemo(bool* fresh) {
  const std::string& text = txtFilename.Text();
  const demo::DemoInfo* info = DemoAt(text, fresh);
  // An unreadable file says why only when its name makes it a demo.
  const bool demo = info && (info->read || catalogue::FindByExtension(text));
  lblDemo.SetCaption(demo ? summary::Line(*info) : std::string());
  return info;
}

void MainWindow::TakeModFrom(const demo::DemoInfo& info) {
  const catalogue::Game* selected = catalogue::FindByName(cboGame.Text());
  if (info.mod.empty() || !selected ||
      summary::GameOf(info, catalogue::FindByExtension(txtFilename.Text())) != selected) {
    return;
  }
  cboMod.SetText(info.mod);
}

void MainWindow::Form_DropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  const std::string path = PathHelpers::GetLongPath(ports_, paths.front());
  if (ports_.files.FindFile(path).status != FindStatus::Found) return;
  const demo::DemoInfo* info = DemoAt(path, nullptr);
  if (!catalogue::FindByExtension(path) && !(info && info->read)) return;
  dialogFileName_ = path;
  txtFilename.SetText(path);
  DetectGame();
}

void MainWindow::cboGame_Click() {
  cboMod.Clear();
  WriteSetting(catalogue::DefaultGameValue, cboGame.Text());
  const catalogue::Game* game = catalogue::FindByName(cboGame.Text());
  if (!game) return;
  for (std::string_view mod : game->mods) cboMod.AddItem(std::string(mod));
  // Then those installed where the game is set or by default would be: the search for
  // installed games waits for a launch.
  const std::string location =
      ReadStoredLocation(ports_, *game).value_or(std::string(game->defaultLocation));
  for (const std::string& mod : play::InstalledMods(ports_, *game, location)) {
    const auto& items = cboMod.Items();
    if (std::none_of(items.begin(), items.end(),
                     [&](const std::string& item) { return util::EqualsNoCase(item, mod); })) {
      cboMod.AddItem(mod);
    }
  }
  cboMod.SetText(ReadSetting(ports_, game->modValue, game->defaultMod));
  cboSpeed.SetEnabled(game->speedAndResolutionEnabled);
  cboResolution.SetEnabled(game->speedAndResolutionEnabled);
}

void MainWindow::cboMod_Change() {
  const catalogue::Game* game = catalogue::FindByName(cboGame.Text());
  if (game) WriteSetting(game->modValue, cboMod.Text());
}

void MainWindow::cboMod_Click() {
  cboMod_Change();
}

void MainWindow::cboSpeed_Validate(bool& cancel) {
  (void)cancel;  // the focus may always leave the box
  if (!util::IsNumeric(cboSpeed.Text(), ports_.process.Numbers())) cboSpeed.SetText("1");
}

void MainWindow::cmdSelect_Click() {
  const OpenResult chosen =
      ports_.dialogs.ShowOpen(OpenRequest{kDialogTitle, DialogFilter(), dialogFileName_});
  if (chosen.outcome != OpenResult::Outcome::Chosen) return;
  dialogFileName_ = chosen.path;
  txtFilename.SetText(chosen.path);
  DetectGame();
}

void MainWindow::TakeDemo(const std::string& path) {
  const std::string chosen = PathHelpers::GetLongPath(ports_, path);
  dialogFileName_ = chosen;
  txtFilename.SetText(chosen);
  DetectGame();
}

void MainWindow::txtFilename_Change() {
  WriteSetting(catalogue::LastFilenameValue, txtFilename.Text());
  // Typing selects no game; a demo read anew still brings its mod to the game it is for.
  bool fresh = false;
  const demo::DemoInfo* info = ShowDemo(&fresh);
  if (fresh && info->read) TakeModFrom(*info);
}

void MainWindow::cmdBottom_Click(std::int16_t index) {
  switch (index) {
    case 0:
      host_.EndProgram();
      return;
    case 1:
      host_.ShowConfigModal();
      return;
    case 2:
      Play();
      return;
    default:
      return;
  }
}

void MainWindow::Play() {
  bool cancel = false;
  cboSpeed_Validate(cancel);
  const std::string demo = txtFilename.Text();
  if (demo.empty()) {
    ports_.dialogs.ShowMessage(kNoDemo, AppTitle, kErrorStyle);
    return;
  }
  // Another game's demo is refused by name: no game here could play a copy of it.
  const demo::DemoInfo* info = DemoAt(demo, nullptr);
  if (info && info->engine == demo::Engine::Other) {
    ports_.dialogs.ShowMessage(summary::Line(*info), AppTitle, kErrorStyle);
    return;
  }
  host_.HideMain();

  if (cboResolution.Text() != kDefaultResolution) {
    const play::Resolution size = play::ParseResolution(cboResolution.Text());
    const std::string root(catalogue::SettingsRoot);
    const std::string key(catalogue::EngineKey);
    SettingsStore::WriteValue(ports_, root, key, std::string(catalogue::EngineModeHeightValue), "D",
                            SettingValue(size.height));
    SettingsStore::WriteValue(ports_, root, key, std::string(catalogue::EngineModeWidthValue), "D",
                            SettingValue(size.width));
    SettingsStore::WriteValue(ports_, root, key, std::string(catalogue::ScreenHeightValue), "D",
                            SettingValue(size.height));
    SettingsStore::WriteValue(ports_, root, key, std::string(catalogue::ScreenWidthValue), "D",
                            SettingValue(size.width));
  }

  const FindResult found = ports_.files.FindFile(demo);
  if (found.status != FindStatus::Found) {
    ports_.dialogs.ShowMessage(
        found.error == winerr::FilenameTooLong
            ? PathHelpers::TooLongText("the demo file", demo,
                                       "Please move the demo to a shorter path and try again.")
            : kDemoMissing,
        AppTitle, kErrorStyle);
    host_.ShowMain();
    return;
  }

  // Without a game the shell would be asked to open nothing, which shows a folder window.
  const catalogue::Game* game = catalogue::FindByName(cboGame.Text());
  if (!game) {
    ports_.dialogs.ShowMessage(kNoGame, AppTitle, kErrorStyle);
    host_.ShowMain();
    return;
  }

  const std::string program = ReadGameLocation(ports_, host_, *game);
  const std::string mod = cboMod.Text();
  if (!AskBeforePlaying(*game, program, mod, demo)) {
    host_.ShowMain();
    return;
  }
  const play::StageResult staged = play::StageDemo(ports_, *game, program, mod, demo);
  if (!staged.staged) {
    constexpr const char* kAdvice = "Please check the game's location and mod, then try again.";
    std::string text;
    if (!staged.refusedFolder.empty()) {
      text = "Windows does not allow Replaydock to write into " + staged.refusedFolder +
             ". Move the game out of Program Files, or give your account write access to that "
             "folder.";
    } else if (staged.error == winerr::FilenameTooLong) {
      text = PathHelpers::TooLongText("the staged demo", staged.stagedPath, kAdvice);
    } else {
      text = "The demo could not be copied to " + staged.stagedPath + ". " + kAdvice;
      if (staged.error != 0) text += "\n\n" + ports_.process.ErrorText(staged.error);
    }
    ports_.dialogs.ShowMessage(text, AppTitle, kErrorStyle);
    host_.ShowMain();
    return;
  }

  // An engine that takes no extension appends its own.
  const std::string parameters = catalogue::Parameters(
      *game, mod, cboSpeed.Text(),
      catalogue::EngineOf(*game, program).acceptsExtension
          ? catalogue::StagedExtension(*game, demo)
          : std::string_view());
  const std::string steam = play::SteamToStart(ports_, *game, program);
  std::intptr_t started = 0;
  if (steam.empty()) {
    started = PathHelpers::RunProgram(ports_, program, parameters);
  } else {
    const WindowHandle owner = ports_.mainWindowOwner ? ports_.mainWindowOwner() : 0;
    started = ports_.shell.Execute(owner, nullptr, steam, play::SteamParameters(mod, parameters),
                                   PathHelpers::GetParentFolder(program), showcmd::Show);
  }
  play::ReleasePrevious(ports_, staged);
  if (started <= 32) {
    ports_.dialogs.ShowMessage(
        "The game could not be started: " + (steam.empty() ? program : steam) +
            ". Please check the game's location in the configuration window.\n\n" +
            PathHelpers::ShellErrorText(ports_, started),
        AppTitle, kErrorStyle);
    host_.ShowMain();
    return;
  }
  host_.EndProgram();
}

bool MainWindow::AskBeforePlaying(const catalogue::Game& game, const std::string& program,
                                  const std::string& mod, const std::string& demo) {
  const auto ask = [this](const std::string& question) {
    return ports_.dialogs.ShowMessage(question, AppTitle, mb::YesNo | mb::IconQuestion) ==
           answer::Yes;
  };
  if (!play::ModInstalled(ports_, game, program, mod) &&
      !ask("The mod \"" + mod + "\" is not installed in " + PathHelpers::GetParentFolder(program) +
           ". The game will play the demo without it, and it may fail. Play anyway?")) {
    return false;
  }
  const demo::DemoInfo* info = DemoAt(demo, nullptr);
  const catalogue::Engine& engine = catalogue::EngineOf(game, program);
  if (game.demoFolderIsMod) {
    const bool older = info && info->read && info->engine == demo::Engine::GoldSrc &&
                       info->protocol > 0 && info->protocol != kHalfLifeProtocol;
    return !older || ask("This demo was recorded by an older Half-Life (protocol " +
                         std::to_string(info->protocol) +
                         "); today's Half-Life may refuse it. Play anyway?");
  }
  const int protocol = ProtocolOf(info, demo);
  const bool opens = protocol == 0 || engine.protocols.empty() ||
                     std::find(engine.protocols.begin(), engine.protocols.end(), protocol) !=
                         engine.protocols.end();
  return opens || ask(std::string(engine.name) + " plays protocol " +
                      catalogue::ProtocolList(engine) + " demos; this demo is protocol " +
                      std::to_string(protocol) + ". Play anyway?");
}

}  // namespace rd
