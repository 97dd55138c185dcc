#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "config/frmConfig.h"
#include "launcher/frmMain.h"
#include "platform/win32/ControlIds.h"
#include "platform/win32/Win32Views.h"
#include "splash/frmSplash.h"
#include "tests/fakes/FakePorts.h"

// The real windows over the presenters and the fake ports: what the window shows follows
// the model, the user's own actions reach the model once, and the program's changes are
// never echoed back as user actions.
namespace {

namespace ids = rd::ids;
using rd::win32::Win32ViewFactory;

constexpr const char* kSettings = "Software\\Tessaway\\Replaydock\\Settings";

class RecordingHost final : public rd::AppHost {
 public:
  void ShowMain() override { ++shows; }
  void HideMain() override { ++hides; }
  void EndProgram() override { ++ends; }
  void ShowConfigModal() override {}
  void CloseConfig() override {
    ++closes;
    if (config) config->Close();
  }
  void HandOver() override {}

  rd::FormView* config = nullptr;
  int shows = 0;
  int hides = 0;
  int ends = 0;
  int closes = 0;
};

std::string Text(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string Item(HWND combo, int index) {
  char buffer[256] = {};
  SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

// Runs what is queued; answers whether the message loop was told to end.
bool Pump() {
  bool quit = false;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    if (Win32ViewFactory::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return quit;
}

void Pick(HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

class MainViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.registry.PutText(rd::regroot::CurrentUser, kSettings, "AlreadyRun", "Yes");
    platform.process.commandLine = "C:\\demos\\duel.dm_66";
    form = std::make_unique<rd::frmMain>(platform.ports, host);
    view = views.CreateMainView(*form);
    window = reinterpret_cast<HWND>(view->Handle());
    ASSERT_NE(window, nullptr);
    form->Form_Load();
  }
  void TearDown() override {
    view.reset();
    Pump();
  }

  HWND Control(int id) const { return GetDlgItem(window, id); }
  int Writes(const std::string& value) const {
    const auto& calls = platform.registry.Calls();
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
      return c.rfind("set ", 0) == 0 && c.size() > value.size() &&
             c.compare(c.size() - value.size() - 1, std::string::npos, "\\" + value) == 0;
    }));
  }

  rd::fakes::FakePlatform platform;
  RecordingHost host;
  Win32ViewFactory views{GetModuleHandleA(nullptr)};
  std::unique_ptr<rd::frmMain> form;
  std::unique_ptr<rd::FormView> view;
  HWND window = nullptr;
};

TEST_F(MainViewTest, ShowsTheLoadedStateAndWritesEachSettingOnce) {
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(Text(window), "Tessaway Replaydock");
  EXPECT_EQ(Text(Control(ids::MainLblTop)), "Tessaway Replaydock v0.6.8");
  EXPECT_EQ(Text(Control(ids::MainTxtFilename)), "C:\\demos\\duel.dm_66");

  const HWND game = Control(ids::MainCboGame);
  ASSERT_EQ(SendMessageA(game, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Item(game, 0), "Half-Life");
  EXPECT_EQ(Item(game, 2), "Return To Castle Wolfenstein");
  EXPECT_EQ(Text(game), "Quake 3 Arena");

  // The mod list in the model's own (sorted) order, not the order the game gives them.
  const HWND mod = Control(ids::MainCboMod);
  ASSERT_EQ(SendMessageA(mod, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Item(mod, 0), "arena");
  EXPECT_EQ(Item(mod, 2), "osp");

  EXPECT_EQ(Text(Control(ids::MainCboSpeed)), "1");
  EXPECT_EQ(Text(Control(ids::MainCboResolution)), "Default");
  EXPECT_FALSE(IsWindowEnabled(Control(ids::MainCboSpeed)));
  EXPECT_FALSE(IsWindowEnabled(Control(ids::MainCboResolution)));

  EXPECT_EQ(Writes("LastFilename"), 1);
  EXPECT_EQ(Writes("DefaultGame"), 1);
}

TEST_F(MainViewTest, TheUsersEditsAndPicksReachTheModelOnce) {
  platform.registry.ClearCalls();
  SendMessageA(Control(ids::MainTxtFilename), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("C:\\demos\\x.dem"));
  EXPECT_EQ(form->txtFilename.Text(), "C:\\demos\\x.dem");
  EXPECT_EQ(Writes("LastFilename"), 1);
  EXPECT_EQ(form->cboGame.Text(), "Quake 3 Arena");  // typing does not detect the game

  Pick(Control(ids::MainCboGame), 0);
  EXPECT_EQ(form->cboGame.Text(), "Half-Life");
  EXPECT_EQ(Writes("DefaultGame"), 1);
  EXPECT_EQ(Text(Control(ids::MainCboMod)), "cstrike");
  EXPECT_EQ(SendMessageA(Control(ids::MainCboMod), CB_GETCOUNT, 0, 0), 2);
  EXPECT_TRUE(IsWindowEnabled(Control(ids::MainCboSpeed)));
  EXPECT_TRUE(IsWindowEnabled(Control(ids::MainCboResolution)));

  platform.registry.ClearCalls();
  SendMessageA(Control(ids::MainCboMod), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("dod"));
  EXPECT_EQ(form->cboMod.Text(), "dod");
  EXPECT_EQ(Writes("DefaultHLMod"), 1);

  Pick(Control(ids::MainCboResolution), 2);
  EXPECT_EQ(form->cboResolution.Text(), "800x600");
}

TEST_F(MainViewTest, LeavingTheSpeedBoxForAnotherControlValidatesIt) {
  view->Show();
  Pump();
  EXPECT_EQ(GetFocus(), Control(ids::MainTxtFilename));  // the file box has the focus at first
  Pick(Control(ids::MainCboGame), 0);  // Half-Life: the speed box is enabled

  SetFocus(Control(ids::MainCboSpeed));
  SendMessageA(Control(ids::MainCboSpeed), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fast"));
  EXPECT_EQ(form->cboSpeed.Text(), "fast");
  SendMessageA(window, WM_NEXTDLGCTL, 0, 0);  // Tab: the speed box is followed by "..."
  EXPECT_EQ(GetFocus(), Control(ids::MainCmdSelect));
  EXPECT_EQ(form->cboSpeed.Text(), "1");
  EXPECT_EQ(Text(Control(ids::MainCboSpeed)), "1");

  SetFocus(Control(ids::MainCboSpeed));
  SendMessageA(Control(ids::MainCboSpeed), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2.5"));
  SetFocus(Control(ids::MainTxtFilename));
  EXPECT_EQ(form->cboSpeed.Text(), "2.5");
}

TEST_F(MainViewTest, EnterAndEscapePressPlayAndCancel) {
  view->Show();
  Pump();
  // Escape: Cancel ends the program.
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(host.ends, 1);
  // Enter from the file box: Play, which refuses the missing demo and shows the window again.
  SendMessageA(window, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(host.hides, 1);
  EXPECT_EQ(host.shows, 1);
  EXPECT_FALSE(platform.dialogs.messages.empty());
}

TEST(ConfigViewTest, ModalOverItsOwnerWithTheFocusOnDoneUntilDoneCloses) {
  rd::fakes::FakePlatform platform;
  RecordingHost host;
  Win32ViewFactory views(GetModuleHandleA(nullptr));
  rd::frmConfig form(platform.ports, host);
  auto view = views.CreateConfigView(form);
  const auto window = reinterpret_cast<HWND>(view->Handle());
  ASSERT_NE(window, nullptr);
  host.config = view.get();
  form.Form_Load();

  const HWND location = GetDlgItem(window, ids::ConfigTxtLocation);
  EXPECT_EQ(Text(window), "Configuration");
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU, 0);
  EXPECT_EQ(Text(GetDlgItem(window, ids::ConfigCboGame)), "Half-Life");
  EXPECT_EQ(Text(location), form.txtLocation.Text());
  EXPECT_FALSE(form.txtLocation.Text().empty());

  // The options page shows the register button in place of the locations.
  const HWND tab = GetDlgItem(window, ids::ConfigTab);
  SendMessageA(tab, TCM_SETCURSEL, 1, 0);
  EXPECT_NE(GetWindowLongPtrA(GetDlgItem(window, ids::ConfigCmdRegister), GWL_STYLE) & WS_VISIBLE,
            0);
  EXPECT_EQ(GetWindowLongPtrA(location, GWL_STYLE) & WS_VISIBLE, 0);
  SendMessageA(tab, TCM_SETCURSEL, 0, 0);
  EXPECT_NE(GetWindowLongPtrA(location, GWL_STYLE) & WS_VISIBLE, 0);

  // What the modal loop sees, checked from inside it; then Escape presses "&Done".
  static HWND checked;
  static bool focusOnDone;
  checked = window;
  focusOnDone = false;
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    focusOnDone = GetFocus() == GetDlgItem(checked, ids::ConfigCmdBottom);
    PostMessageA(checked, WM_COMMAND, IDCANCEL, 0);
  });
  view->ShowModal();
  EXPECT_TRUE(focusOnDone);
  EXPECT_EQ(host.closes, 1);
  EXPECT_FALSE(IsWindow(window));
  Pump();
}

TEST(ViewFactoryTest, TheLoopEndsWhenTheLastWindowCloses) {
  rd::fakes::FakePlatform platform;
  RecordingHost host;
  Win32ViewFactory views(GetModuleHandleA(nullptr));
  rd::frmSplash splash(platform.ports, host);
  rd::frmMain main(platform.ports, host);
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
