#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "splash/SplashWindow.h"
#include "tests/fakes/FakePorts.h"

namespace rd {
namespace {

// Any host call a test does not expect fails it.
class MockHost : public AppHost {
 public:
  MOCK_METHOD(void, ShowMain, (), (override));
  MOCK_METHOD(void, HideMain, (), (override));
  MOCK_METHOD(void, EndProgram, (), (override));
  MOCK_METHOD(void, ShowConfigModal, (), (override));
  MOCK_METHOD(void, CloseConfig, (), (override));
  MOCK_METHOD(void, HandOver, (), (override));
};

class Splash : public ::testing::Test {
 protected:
  fakes::FakePlatform fp;
  ::testing::StrictMock<MockHost> host;
};

TEST_F(Splash, LoadingFillsTheLabelsAndEachTickAsksForTheHandOverUntilTheTimerStops) {
  EXPECT_CALL(host, HandOver()).Times(2);  // keeping it to one is the host's business
  SplashWindow splash(fp.ports, host);
  splash.Form_Load();
  EXPECT_EQ(splash.lblTop.Caption(), "Tessaway Replaydock");
  EXPECT_EQ(splash.lblEMailAddress.Caption(), "replaydock@tessaway.example");
  // Two lines that end by pointing at the address below them.
  const std::string& info = splash.lblInfo.Caption();
  EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 1) << info;
  EXPECT_NE(info.find("below"), std::string::npos) << info;
  EXPECT_EQ(fp.timer.LastInterval(), 2000u);
  splash.Form_Load();  // no second timer
  fp.timer.TickAll();
  fp.timer.TickAll();
  splash.Form_Unload();
  EXPECT_EQ(fp.timer.Running(), 0);
  fp.timer.TickAll();
  {  // going away without unloading stops it too
    SplashWindow other(fp.ports, host);
    other.Form_Load();
  }
  EXPECT_EQ(fp.timer.Running(), 0);
  fp.timer.TickAll();
}

TEST_F(Splash, AddressClickOpensAMailMessageOwnedByTheMainWindowAndNeverComplains) {
  fp.ports.mainWindowOwner = [] { return WindowHandle{0x4242}; };
  fp.shell.result = 31;  // no mail program associated
  SplashWindow splash(fp.ports, host);
  splash.Form_Load();
  splash.lblEMailAddress_Click();
  ASSERT_EQ(fp.shell.calls.size(), 1u);
  const auto& call = fp.shell.calls[0];
  EXPECT_EQ(call.owner, WindowHandle{0x4242});
  EXPECT_EQ(call.file, "mailto:replaydock@tessaway.example");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_TRUE(fp.dialogs.messages.empty());
}

}  // namespace
}  // namespace rd
