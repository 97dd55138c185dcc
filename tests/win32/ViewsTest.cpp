#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "launcher/MainWindow.h"
#include "win32/ControlIds.h"
#include "win32/Win32Views.h"
#include "splash/SplashWindow.h"
#include "tests/fakes/FakePorts.h"

// The real windows over the presenters and the fake ports: what the window shows follows
// the model, the user's own actions reach the model once, and the program's changes are
// never echoed back as user actions. The real program's windows are driven in tests/e2e.
namespace {

namespace ids = rd::ids;
using rd::win32::Win32ViewFactory;

class Host final : public rd::AppHost {
 public:
  void ShowMain() override {}
  void HideMain() override {}
  void EndProgram() override {}
  void ShowConfigModal() override {}
  void CloseConfig() override {}
  void HandOver() override {}
};

std::string Text(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::vector<std::string> Items(HWND combo) {
  std::vector<std::string> items(static_cast<std::size_t>(SendMessageA(combo, CB_GETCOUNT, 0, 0)));
  char buffer[256];
  for (std::size_t i = 0; i < items.size(); ++i) {
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
    items[i] = buffer;
  }
  return items;
}

// How often the value was stored since the calls were last cleared.
int Writes(const rd::fakes::FakeRegistry& registry, const std::string& value) {
  const auto& calls = registry.Calls();
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.rfind("set ", 0) == 0 && c.size() > value.size() &&
           c.compare(c.size() - value.size() - 1, std::string::npos, "\\" + value) == 0;
  }));
}

// Runs what is queued; answers whether the message loop was told to end.
bool Pump() {
  bool quit = false;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
    } else if (!Win32ViewFactory::PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return quit;
}

TEST(MainViewTest, ShowsTheLoadedStateAndTheUsersEditsReachTheModelOnce) {
  rd::fakes::FakePlatform platform;
  Host host;
  Win32ViewFactory views(GetModuleHandleA(nullptr));
  platform.registry.PutText(rd::regroot::CurrentUser, "Software\\Tessaway\\Replaydock\\Settings",
                            "AlreadyRun", "Yes");
  platform.process.commandLine = "C:\\demos\\duel.dm_66";
  rd::MainWindow form(platform.ports, host);
  auto view = views.CreateMainView(form);
  const auto window = reinterpret_cast<HWND>(view->Handle());
  ASSERT_NE(window, nullptr);
  form.Form_Load();
  const auto control = [&](int id) { return GetDlgItem(window, id); };

  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(Text(control(ids::MainTxtFilename)), "C:\\demos\\duel.dm_66");
  EXPECT_EQ(Items(control(ids::MainCboGame)),
            (std::vector<std::string>{"Half-Life", "Quake 3 Arena",
                                      "Return To Castle Wolfenstein"}));
  EXPECT_EQ(Text(control(ids::MainCboGame)), "Quake 3 Arena");
  // Filling the boxes is the program's doing, never reported back as the user's.
  EXPECT_EQ(Writes(platform.registry, "LastFilename"), 1);
  EXPECT_EQ(Writes(platform.registry, "DefaultGame"), 1);

  platform.registry.ClearCalls();
  SendMessageA(control(ids::MainTxtFilename), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("C:\\demos\\x.dem"));
  EXPECT_EQ(form.txtFilename.Text(), "C:\\demos\\x.dem");
  EXPECT_EQ(Writes(platform.registry, "LastFilename"), 1);
  EXPECT_EQ(form.cboGame.Text(), "Quake 3 Arena");  // typing does not detect the game

  // A pick with the mouse: the selection, then the notice to the parent.
  const HWND game = control(ids::MainCboGame);
  SendMessageA(game, CB_SETCURSEL, 0, 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(ids::MainCboGame, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(game));
  EXPECT_EQ(form.cboGame.Text(), "Half-Life");
  EXPECT_EQ(Writes(platform.registry, "DefaultGame"), 1);
  EXPECT_EQ(Text(control(ids::MainCboMod)), "cstrike");

  platform.registry.ClearCalls();
  SendMessageA(control(ids::MainCboMod), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("dod"));
  EXPECT_EQ(form.cboMod.Text(), "dod");
  EXPECT_EQ(Writes(platform.registry, "DefaultHLMod"), 1);
  view.reset();
  Pump();
}

// Enter presses the focused button, else "&Play": the default border shows which.
TEST(MainViewTest, TheDefaultBorderFollowsTheFocusedButton) {
  rd::fakes::FakePlatform platform;
  Host host;
  Win32ViewFactory views(GetModuleHandleA(nullptr));
  rd::MainWindow form(platform.ports, host);
  auto view = views.CreateMainView(form);
  const auto window = reinterpret_cast<HWND>(view->Handle());
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  const auto isDefault = [&](int id) {
    return (GetWindowLongPtrA(GetDlgItem(window, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  const int cancel = ids::MainCmdBottom0, play = ids::MainCmdBottom0 + 2;
  EXPECT_TRUE(isDefault(play));
  SetFocus(GetDlgItem(window, cancel));
  EXPECT_TRUE(isDefault(cancel));
  EXPECT_FALSE(isDefault(play));
  SetFocus(GetDlgItem(window, ids::MainTxtFilename));
  EXPECT_FALSE(isDefault(cancel));
  EXPECT_TRUE(isDefault(play));
  view.reset();
  Pump();
}

TEST(ViewFactoryTest, TheLoopEndsWhenTheLastWindowCloses) {
  rd::fakes::FakePlatform platform;
  Host host;
  Win32ViewFactory views(GetModuleHandleA(nullptr));
  rd::SplashWindow splash(platform.ports, host);
  rd::MainWindow main(platform.ports, host);
  auto splashView = views.CreateSplashView(splash);
  auto mainView = views.CreateMainView(main);
  EXPECT_EQ(views.LiveWindows(), 2);

  splashView->Close();
  EXPECT_FALSE(Pump());
  EXPECT_EQ(views.LiveWindows(), 1);
  // The close box of the main window.
  SendMessageA(reinterpret_cast<HWND>(mainView->Handle()), WM_CLOSE, 0, 0);
  EXPECT_EQ(views.LiveWindows(), 0);
  EXPECT_TRUE(Pump());
}

}  // namespace
