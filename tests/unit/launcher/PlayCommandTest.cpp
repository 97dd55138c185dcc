#include "tests/unit/launcher/LauncherTesting.h"

namespace rd::launcher_tests {
namespace {

const std::string kStagedHL = "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem",
                  kStaleQ3 = "E:\\Q3\\baseq3\\Demos\\replaydock.dm_68";

class Play : public WindowTest {
 protected:
  Play() {
    for (const char* d : {"D:\\Demos\\match.dem", "D:\\Demos\\oa.dm_71"}) fp.files.AddFile(d, d);
    fp.files.AddFile(kStagedHL, "EARLIER");
    fp.files.AddFile(kStaleQ3, "STALE");
    fp.files.AddFile("C:\\Sierra\\Half-Life\\cstrike\\liblist.gam");
  }
  // Loads the window, makes the choices as the user would, clears the log and presses Play.
  // The resolution comes first, while Half-Life still enables its box.
  void Press(const std::string& demo, const std::string& game, const std::string& mod,
             const std::string& speed = "1", const std::string& resolution = "Default") {
    Load();
    Pick(form->cboResolution, resolution);
    form->txtFilename.UserEdited(demo);
    Pick(form->cboGame, game);
    form->cboMod.UserEdited(mod);
    form->cboSpeed.UserEdited(speed);
    fp.log.clear();
    form->cmdBottom[2].UserClicked();
  }
};

struct Launch {
  const char *name, *demo, *game, *mod, *speed, *resolution, *location;
  std::string outcome;  // the shell call ("program |parameters| in folder"), else the message
  std::string staged = kStagedHL, content = "EARLIER";  // the staged demo afterwards
};
class Launches : public Play, public ::testing::WithParamInterface<Launch> {};

// A launch hides the window, stages the demo, starts the game and ends; a refusal says why
// and shows the window again. That staging goes through a temporary copy, so that a failed
// one keeps the demo staged before, and that nothing else stays beside it is for the fault
// sweep (FaultsTest) to check, for every game and every failing step.
TEST_P(Launches, StageTheDemoAndStartTheGameOrSayWhyNot) {
  const Launch& c = GetParam();
  if (c.location) Store(fp, catalogue::FindByName(c.game)->locationValue, c.location);
  if (!*c.game) Store(fp, catalogue::DefaultGameValue, "none");  // so that none is selected
  Press(c.demo, c.game, c.mod, c.speed, c.resolution);
  const bool launched = c.outcome.find("| in ") != std::string::npos;
  std::string got;  // every launch and every message
  for (const auto& call : fp.shell.calls) got += call.file + " |" + call.parameters + "| in " + call.directory;
  for (const auto& m : fp.dialogs.messages)
    got += m.text + (m.title == AppTitle && m.style == mb::IconCritical ? "" : " (not an error box)");
  EXPECT_EQ(got, c.outcome);
  ASSERT_FALSE(fp.log.empty());
  EXPECT_EQ(fp.log.front() + "/" + fp.log.back(),
            *c.demo ? "hide main/" + std::string(launched ? "exit" : "show main")
                    : "message " + c.outcome + "/message " + c.outcome);
  EXPECT_EQ(fp.files.Content(c.staged).value_or("none"), c.content);
  // The engine plays the first of its extensions it finds: our copies under the others go.
  EXPECT_EQ(fp.files.Content(kStaleQ3).has_value(), !launched || std::string(c.game) != kQ3);
  // A chosen resolution goes to Half-Life once the window is hidden: to the values the engine
  // reads and to the older pair.
  const auto dword = [&](const char* name) {
    const auto v = fp.registry.Get(regroot::CurrentUser, "Software\\Valve\\Half-Life\\Settings", name);
    if (!v || v->type != regtype::Dword || v->data.size() != 4) return std::string();
    return std::to_string(v->data[0] | v->data[1] << 8 | v->data[2] << 16 | v->data[3] << 24);
  };
  const bool written = *c.demo && std::string(c.resolution) != "Default";
  for (const auto& [w, h] : {std::pair{"EngineModeW", "EngineModeH"}, {"ScreenWidth", "ScreenHeight"}}) {
    EXPECT_EQ(dword(w) + "x" + dword(h), written ? c.resolution : "x") << w;
  }
}

// Names of over 255 characters, which Windows cannot take: a demo's or a staged one's.
const std::string kLongDemo = "D:\\Demos\\" + std::string(256, 'n') + ".dem", kLongMod(256, 'm');

// A speed that is no number is played as 1, a number as typed, and only by Half-Life.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Play, Launches, ::testing::Values(
    Launch{"HalfLife", "D:\\Demos\\match.dem", kHL, "cstrike", "-0.5", "800x600", nullptr,
           "C:\\Sierra\\Half-Life\\hl.exe | -game cstrike -console -toconsole +playdemo replaydock "
           "-0.5| in C:\\Sierra\\Half-Life", kStagedHL, "D:\\Demos\\match.dem"},
    Launch{"HalfLifeWithoutAMod", "D:\\Demos\\match.dem", kHL, "", "quick", "Default", nullptr,
           "C:\\Sierra\\Half-Life\\hl.exe | -console -toconsole +playdemo replaydock 1| in "
           "C:\\Sierra\\Half-Life", "C:\\Sierra\\Half-Life\\replaydock.dem", "D:\\Demos\\match.dem"},
    // ioquake3's protocol is staged and played under its own extension; the original engine
    // is asked about first.
    Launch{"Quake3Protocol71", "D:\\Demos\\oa.dm_71", kQ3, "", "3", "Default", "E:\\Q3\\quake3.exe",
           "E:\\Q3\\quake3.exe | +demo replaydock.dm_71| in E:\\Q3"
           "Quake III Arena 1.32 plays protocol 66, 67 and 68 demos; this demo is protocol 71. "
           "Play anyway? (not an error box)",
           "E:\\Q3\\baseq3\\Demos\\replaydock.dm_71", "D:\\Demos\\oa.dm_71"},
    Launch{"MissingDemo", "D:\\Demos\\gone.dem", kHL, "cstrike", "1", "640x480", nullptr, kDemoMissing},
    Launch{"NoFileName", "", kHL, "cstrike", "abc", "800x600", nullptr, kNoDemo},
    // The game is asked for only once the file is known to be there.
    Launch{"NoGame", "D:\\Demos\\match.dem", "", "", "1", "Default", nullptr, kNoGame},
    // A path that Windows cannot take says so, not "does not exist".
    Launch{"DemoPathTooLong", kLongDemo.c_str(), kHL, "cstrike", "1", "Default", nullptr,
           "The path of the demo file is too long for Windows: " + kLongDemo +
           ". Please move the demo to a shorter path and try again."},
    Launch{"StagedPathTooLong", "D:\\Demos\\match.dem", kHL, kLongMod.c_str(), "1", "Default", nullptr,
           ModMissing(kLongMod, "C:\\Sierra\\Half-Life") + " (not an error box)" +
           "The path of the staged demo is too long for Windows: C:\\Sierra\\Half-Life\\" + kLongMod +
           "\\replaydock.dem. Please check the game's location and mod, then try again."}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A mod that cannot be one folder below Half-Life's says why, as Windows would, copying nothing.
TEST_F(Play, AModThatIsNoFolderNameSaysWhy) {
  for (const std::string mod :
       {".", "..", "..\\valve", "a/b", "c:x", "d*", "d?d", "\"d\"", "<d>", "a|b"}) {
    Press("D:\\Demos\\match.dem", kHL, mod);
    const std::string staged = "C:\\Sierra\\Half-Life\\" + mod + "\\replaydock.dem";
    EXPECT_EQ(fp.log, (Texts{"hide main", "message " + CopyFailed(staged) + "\n\nSystem error 123.",
                             "show main"}));
  }
}

}  // namespace
}  // namespace rd::launcher_tests
