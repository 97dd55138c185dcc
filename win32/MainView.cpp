#include "win32/MainView.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/ControlIds.h"
#include "win32/DroppedFiles.h"

namespace rd::win32 {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kCombo = WS_TABSTOP | WS_VSCROLL;
constexpr int kDropTwips = 1800;  // room for the longest list when it drops down
// The demo's line under the file box; everything below it sits this much lower.
constexpr TwipRect kDemoLine{1080, 1680, 5415, 255};
constexpr int kBelow = 360;

void Line(HDC dc, int x1, int y, int x2, int thickness, COLORREF colour) {
  RECT rect{x1, y, x2, y + thickness};
  const HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace

MainView::MainView(WindowCounter& counter, HINSTANCE instance, MainWindow& form)
    : FormWindow(counter, instance), form_(form) {}

MainView::~MainView() {
  if (tip_) DestroyWindow(tip_);
  if (Hwnd()) DestroyWindow(Hwnd());
  if (image_) DestroyIcon(image_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  if (white_) DeleteObject(white_);
}

bool MainView::Create() {
  white_ = CreateSolidBrush(kWhite);
  Frame frame{};
  frame.className = ids::MainClass;
  frame.caption = MainWindow::Caption;
  frame.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  frame.exStyle = WS_EX_ACCEPTFILES;  // as DragAcceptFiles would set it
  frame.owner = nullptr;
  frame.clientWidth = 6600;
  frame.clientHeight = 3360 + kBelow;
  frame.background = GetSysColor(COLOR_BTNFACE);
  if (!CreateFrame(frame)) return false;

  const auto label = [this](const char* text, TwipRect at) {
    return AddControl(WC_STATICA, text, kLabel, 0, -1, at, FontKind::Normal);
  };

  lblTop_ = AddControl(WC_STATICA, "", kLabel, 0, ids::MainLblTop, {720, 240, 5175, 375},
                       FontKind::Title);
  lblInfo_ = AddControl(WC_STATICA, "", kLabel, 0, ids::MainLblInfo, {720, 720, 5175, 255},
                        FontKind::Normal);
  label("Filename:", {120, 1320, 975, 255});
  const HWND txtFilename =
      AddControl(WC_EDITA, "", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
                 ids::MainTxtFilename, {1080, 1320, 4935, 285}, FontKind::Normal);
  const HWND cmdSelect = AddControl(WC_BUTTONA, form_.cmdSelect.Caption(),
                                    WS_TABSTOP | BS_PUSHBUTTON, 0, ids::MainCmdSelect,
                                    {6120, 1320, 375, 255}, FontKind::Normal);
  // SS_NOTIFY: the tooltip hears the mouse over the line only through the label's messages.
  const HWND lblDemo = AddControl(WC_STATICA, "", kLabel | SS_ENDELLIPSIS | SS_NOTIFY, 0,
                                  ids::MainLblDemo,
                                  kDemoLine, FontKind::Normal);
  label("Game:", {120, 1800 + kBelow, 1095, 255});
  const HWND cboGame = AddControl(WC_COMBOBOXA, "", kCombo | CBS_DROPDOWNLIST, 0, ids::MainCboGame,
                                  {1080, 1800 + kBelow, 2535, 315}, FontKind::Normal, kDropTwips);
  label("Speed:", {4200, 1800 + kBelow, 735, 255});
  const HWND cboSpeed =
      AddControl(WC_COMBOBOXA, "", kCombo | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, ids::MainCboSpeed,
                 {5040, 1800 + kBelow, 1455, 315}, FontKind::Normal, kDropTwips);
  label("Mod:", {120, 2280 + kBelow, 735, 255});
  const HWND cboMod =
      AddControl(WC_COMBOBOXA, "", kCombo | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, ids::MainCboMod,
                 {1080, 2280 + kBelow, 2535, 315}, FontKind::Normal, kDropTwips);
  label("Resolution:", {3840, 2280 + kBelow, 975, 255});
  const HWND cboResolution =
      AddControl(WC_COMBOBOXA, "", kCombo | CBS_DROPDOWNLIST, 0, ids::MainCboResolution,
                 {5040, 2280 + kBelow, 1455, 315}, FontKind::Normal, kDropTwips);

  const TwipRect bottom[3] = {{120, 2880 + kBelow, 1215, 375}, {1320, 2880 + kBelow, 1455, 375},
                              {5280, 2880 + kBelow, 1215, 375}};
  HWND cmdBottom[3] = {};
  for (int i = 0; i < 3; ++i) {
    auto& model = form_.cmdBottom[static_cast<std::size_t>(i)];
    cmdBottom[i] = AddControl(WC_BUTTONA, model.Caption(),
                              WS_TABSTOP | (i == 2 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
                              ids::MainCmdBottom0 + i, bottom[i],
                              i == 2 ? FontKind::Bold : FontKind::Normal);
    BindButton(cmdBottom[i], model);
  }

  const HWND cmdLibrary =
      AddControl(WC_BUTTONA, form_.cmdLibrary.Caption(), WS_TABSTOP | BS_PUSHBUTTON, 0,
                 ids::MainCmdLibrary, {2880, 2880 + kBelow, 1335, 375}, FontKind::Normal);
  BindButton(cmdLibrary, form_.cmdLibrary);

  BindLabel(lblTop_, form_.lblTop);
  BindLabel(lblInfo_, form_.lblInfo);
  BindTextBox(txtFilename, form_.txtFilename);
  BindLabel(lblDemo, form_.lblDemo);
  AddDemoTip(lblDemo);
  BindButton(cmdSelect, form_.cmdSelect);
  BindComboBox(cboGame, form_.cboGame);
  BindComboBox(cboSpeed, form_.cboSpeed);
  BindComboBox(cboMod, form_.cboMod);
  BindComboBox(cboResolution, form_.cboResolution);
  WatchLeaving(cboSpeed, [this] { form_.cboSpeed.UserLeaving(); });

  SetTabOrder({txtFilename, cboGame, cboMod, cmdBottom[0], cmdBottom[1], cmdLibrary, cmdBottom[2],
               cboSpeed, cmdSelect, cboResolution});
  SetKeyButtons(cmdBottom[2], cmdBottom[0]);
  FinishLayout(nullptr);
  LoadIcons();
  return true;
}

// The line is cut to the window's width; its tooltip shows the whole of it.
void MainView::AddDemoTip(HWND label) {
  tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX |
                         TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, Hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!tip_) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(label);
  tool.lpszText = const_cast<char*>("");
  SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  // Wide enough for any line, wrapped rather than cut when the screen is narrower.
  SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
  const auto synced = std::move(form_.lblDemo.OnModelChanged);
  form_.lblDemo.OnModelChanged = [this, synced, label] {
    if (synced) synced();
    std::string text = form_.lblDemo.Caption();
    TOOLINFOA update{};
    update.cbSize = sizeof update;
    update.hwnd = Hwnd();
    update.uId = reinterpret_cast<UINT_PTR>(label);
    update.lpszText = text.data();
    SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&update));
  };
  form_.lblDemo.OnModelChanged();
}

LRESULT MainView::Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message != WM_DROPFILES) return FormWindow::Message(message, wParam, lParam, handled);
  handled = true;
  form_.Form_DropFiles(DroppedFiles(reinterpret_cast<HDROP>(wParam)));
  return 0;
}

void MainView::LoadIcons() {
  if (image_) DestroyIcon(image_);
  image_ = LoadProgramIcon(Px(480));
  const HICON big = LoadProgramIcon(MulDiv(32, static_cast<int>(Dpi()), 96));
  const HICON small = LoadProgramIcon(MulDiv(16, static_cast<int>(Dpi()), 96));
  SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

void MainView::Relayout() {
  if (image_) LoadIcons();  // a new DPI: the icons at their new sizes
}

void MainView::Paint(HDC dc) {
  const int thickness = std::max(1, Px(15));
  // lblBack: the white header band.
  RECT band{0, 0, Px(6645), Px(1095)};
  FillRect(dc, &band, white_);
  if (image_) DrawIconEx(dc, Px(120), Px(120), image_, Px(480), Px(480), 0, nullptr, DI_NORMAL);
  // lnBreak: the black rule under the band.
  Line(dc, 0, Px(1080), Px(6600), thickness, RGB(0, 0, 0));
  // ln3d: the etched rule above the buttons.
  Line(dc, Px(120), Px(2760 + kBelow), Px(6480), thickness, GetSysColor(COLOR_BTNSHADOW));
  Line(dc, Px(120), Px(2760 + kBelow) + thickness, Px(6480), thickness, kWhite);
}

HBRUSH MainView::LabelColours(HWND label, HDC dc) {
  if (label != lblTop_ && label != lblInfo_) return nullptr;
  SetBkColor(dc, kWhite);
  return white_;
}

}  // namespace rd::win32
