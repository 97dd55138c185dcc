#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "splash/SplashWindow.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {
namespace {

TEST(Splash, EachTickAsksForTheHandOverUntilTheTimerStopsAndTheAddressOpensAMail) {
  fakes::FakePlatform fp;
  launcher_tests::RecordingHost host(fp);
  fp.ports.mainWindowOwner = [] { return WindowHandle{0x4242}; };
  fp.shell.result = 31;  // no mail program associated: no complaint either
  {
    SplashWindow splash(fp.ports, host);
    splash.Form_Load();
    splash.Form_Load();  // no second timer
    EXPECT_EQ(fp.timer.LastInterval(), 2000u);
    fp.timer.TickAll();
    fp.timer.TickAll();
    splash.lblEMailAddress_Click();
    splash.Form_Unload();
    fp.timer.TickAll();
    SplashWindow other(fp.ports, host);
    other.Form_Load();  // going away without unloading stops it too
  }
  EXPECT_EQ(fp.timer.Running(), 0);
  EXPECT_EQ(std::count(fp.log.begin(), fp.log.end(), "hand over"), 2);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  const auto& call = fp.shell.calls[0];
  EXPECT_EQ(call.file + "|" + call.parameters + "|" + call.directory,
            "mailto:replaydock@tessaway.example||");
  EXPECT_EQ(call.owner, WindowHandle{0x4242});
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

}  // namespace
}  // namespace rd
