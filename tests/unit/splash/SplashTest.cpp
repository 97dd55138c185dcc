#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "splash/frmSplash.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

class CountingHost final : public AppHost {
 public:
  void ShowMain() override {}
  void HideMain() override {}
  void EndProgram() override {}
  void ShowConfigModal() override {}
  void CloseConfig() override {}
  void HandOver() override { ++handOvers; }
  int handOvers = 0;
};

class Splash : public ::testing::Test {
 protected:
  fakes::FakePlatform fp;
  CountingHost host;
};

TEST_F(Splash, LoadingFillsTheLabelsAndStartsTheTwoSecondTimer) {
  frmSplash splash(fp.ports, host);
  EXPECT_EQ(fp.timer.Running(), 0);
  splash.Form_Load();

  EXPECT_EQ(splash.lblTop.Caption(), "Tessaway Replaydock");
  EXPECT_EQ(splash.lblEMailAddress.Caption(), "replaydock@tessaway.example");
  // Two lines that end by pointing at the address below them.
  const std::string& info = splash.lblInfo.Caption();
  EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 1) << info;
  EXPECT_NE(info.find("below"), std::string::npos) << info;
  EXPECT_EQ(fp.timer.Running(), 1);
  EXPECT_EQ(fp.timer.LastInterval(), 2000u);
  EXPECT_EQ(host.handOvers, 0);
}

TEST_F(Splash, EveryTickAsksForTheHandOverUntilUnloaded) {
  frmSplash splash(fp.ports, host);
  splash.Form_Load();
  fp.timer.TickAll();
  fp.timer.TickAll();
  EXPECT_EQ(host.handOvers, 2);  // keeping it to one is the host's business

  splash.Form_Unload();
  EXPECT_EQ(fp.timer.Running(), 0);
  fp.timer.TickAll();
  splash.Form_Unload();
  EXPECT_EQ(host.handOvers, 2);
}

TEST_F(Splash, TheTimerStopsWhenTheWindowGoesAwayWithoutUnloading) {
  {
    frmSplash splash(fp.ports, host);
    splash.Form_Load();
  }
  EXPECT_EQ(fp.timer.Running(), 0);
  fp.timer.TickAll();
  EXPECT_EQ(host.handOvers, 0);
}

TEST_F(Splash, AddressClickOpensAMailMessageOwnedByTheMainWindow) {
  int ownerAsked = 0;
  fp.ports.mainWindowOwner = [&] {
    ++ownerAsked;
    return WindowHandle{0x4242};
  };
  frmSplash splash(fp.ports, host);
  splash.Form_Load();
  splash.lblEMailAddress_Click();

  EXPECT_EQ(ownerAsked, 1);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  const auto& call = fp.shell.calls[0];
  EXPECT_EQ(call.owner, WindowHandle{0x4242});
  EXPECT_EQ(call.file, "mailto:replaydock@tessaway.example");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_EQ(host.handOvers, 0);
}

TEST_F(Splash, AMailLinkTheShellCannotOpenSaysNothing) {
  fp.shell.result = 31;  // SE_ERR_NOASSOC
  frmSplash splash(fp.ports, host);
  splash.Form_Load();
  splash.lblEMailAddress_Click();
  EXPECT_EQ(fp.shell.calls.size(), 1u);
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

}  // namespace
}  // namespace rd
