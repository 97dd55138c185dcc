#include <gtest/gtest.h>

#include <algorithm>

#include "splash/SplashWindow.h"
#include "tests/unit/launcher/LauncherTesting.h"

namespace rd {

TEST(Splash, EachTickAsksForTheHandOverUntilTheTimerStopsAndTheAddressOpensAMail) {
  fakes::FakePlatform fp;
  launcher_tests::RecordingHost host(fp);
  fp.ports.mainWindowOwner = [] { return WindowHandle{0x4242}; };
  fp.shell.result = 31;  // no mail program associated: no complaint either
  {
    SplashWindow splash(fp.ports, host), other(fp.ports, host);
    splash.Form_Load();
    splash.Form_Load();  // no second timer
    EXPECT_EQ(fp.timer.LastInterval(), 2000u);
    fp.timer.TickAll();
    fp.timer.TickAll();
    splash.lblEMailAddress_Click();
    splash.Form_Unload();
    fp.timer.TickAll();
    other.Form_Load();  // going away without unloading stops it too
  }
  EXPECT_TRUE(fp.timer.Running() == 0 && fp.dialogs.messages.empty());
  EXPECT_EQ(std::count(fp.log.begin(), fp.log.end(), "hand over"), 2);
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  const auto& c = fp.shell.calls[0];
  EXPECT_EQ(c.file + "|" + c.parameters + "|" + c.directory + std::to_string(c.owner == WindowHandle{0x4242}),
            "mailto:replaydock@tessaway.example||1");
}

}  // namespace rd
