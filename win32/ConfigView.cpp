#include "win32/ConfigView.h"

#include "win32/CommonControls.h"

#include "win32/ControlIds.h"

namespace rd::win32 {
namespace {

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr int kTabLeft = 120;
constexpr int kTabTop = 120;
// The line of the executable found adds this much below the location.
constexpr int kOfferRow = 360;

// Positions on a page are relative to the tab control.
TwipRect OnTab(int left, int top, int width, int height) {
  return TwipRect{kTabLeft + left, kTabTop + top, width, height};
}

}  // namespace

ConfigView::ConfigView(WindowCounter& counter, HINSTANCE instance, ConfigWindow& form)
    : FormWindow(counter, instance), form_(form) {}

ConfigView::~ConfigView() {
  if (Hwnd()) DestroyWindow(Hwnd());
}

bool ConfigView::Create() {
  const HWND owner = PreferredOwner();
  Frame frame{};
  frame.className = ids::ConfigClass;
  frame.caption = ConfigWindow::Caption;
  // No WS_SYSMENU: no title-bar buttons. Owned and without WS_EX_APPWINDOW: no task bar button.
  frame.style = WS_POPUP | WS_CAPTION;
  frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  frame.owner = owner;
  frame.clientWidth = 7080;
  frame.clientHeight = 2040 + kOfferRow;
  frame.background = GetSysColor(COLOR_BTNFACE);
  if (!CreateFrame(frame)) return false;

  const HWND cmdBottom =
      AddControl(WC_BUTTONA, form_.cmdBottom.Caption(), WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                 ids::ConfigCmdBottom, {5760, 1560 + kOfferRow, 1215, 375}, FontKind::Normal);
  tab_ = AddControl(WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, 0, ids::ConfigTab,
                    {kTabLeft, kTabTop, 6855, 1335 + kOfferRow}, FontKind::Normal);
  const char* const captions[] = {"Program Locations", "Options"};
  for (int i = 0; i < 2; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i]);
    SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }

  lblGame_ = AddControl(WC_STATICA, "Game:", kLabel, 0, -1, OnTab(120, 480, 855, 255),
                        FontKind::Normal);
  const HWND cboGame =
      AddControl(WC_COMBOBOXA, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                 ids::ConfigCboGame, OnTab(1080, 480, 2415, 315), FontKind::Normal, 1200);
  lblLocation_ = AddControl(WC_STATICA, "Location:", kLabel, 0, -1, OnTab(120, 840, 855, 255),
                            FontKind::Normal);
  const HWND txtLocation = txtLocation_ =
      AddControl(WC_EDITA, "", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
                 ids::ConfigTxtLocation, OnTab(1080, 840, 5175, 285), FontKind::Normal);
  const HWND cmdSelect = AddControl(WC_BUTTONA, form_.cmdSelect.Caption(),
                                    WS_TABSTOP | BS_PUSHBUTTON, 0, ids::ConfigCmdSelect,
                                    OnTab(6360, 840, 375, 255), FontKind::Normal);
  lblFound_ = AddControl(WC_STATICA, form_.lblFound.Caption(), kLabel | SS_PATHELLIPSIS, 0,
                         ids::ConfigLblFound, OnTab(1080, 1230, 4710, 255), FontKind::Normal);
  cmdUseFound_ = AddControl(WC_BUTTONA, form_.cmdUseFound.Caption(), WS_TABSTOP | BS_PUSHBUTTON,
                            0, ids::ConfigCmdUseFound, OnTab(5895, 1185, 840, 315),
                            FontKind::Normal);
  const HWND cmdRegister = AddControl(WC_BUTTONA, form_.cmdRegister.Caption(),
                                      WS_TABSTOP | BS_PUSHBUTTON, 0, ids::ConfigCmdRegister,
                                      OnTab(120, 480, 1935, 375), FontKind::Normal);
  // The pages' controls lie on the tab control: it goes to the bottom, and WS_CLIPSIBLINGS
  // keeps it from painting over them.
  if (tab_) SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (tab_) Subclass(tab_, &ConfigView::TabProc, 1, reinterpret_cast<DWORD_PTR>(this));
  pages_[0] = {lblGame_, cboGame, lblLocation_, txtLocation, cmdSelect, lblFound_, cmdUseFound_};
  pages_[1] = {cmdRegister};

  BindButton(cmdBottom, form_.cmdBottom);
  BindComboBox(cboGame, form_.cboGame);
  BindTextBox(txtLocation, form_.txtLocation);
  BindButton(cmdSelect, form_.cmdSelect);
  BindButton(cmdRegister, form_.cmdRegister);
  BindLabel(lblFound_, form_.lblFound);
  BindButton(cmdUseFound_, form_.cmdUseFound);
  if (lblFound_) {
    auto synced = std::move(form_.lblFound.OnModelChanged);
    form_.lblFound.OnModelChanged = [this, synced] {
      if (synced) synced();
      ShowOffer();
    };
  }
  WatchLeaving(txtLocation, [this] { form_.txtLocation.UserLeaving(); });

  SetTabOrder({cmdBottom, tab_, cmdSelect, txtLocation, cmdUseFound_, cboGame, cmdRegister});
  SetKeyButtons(cmdBottom, cmdBottom);
  ShowPage(0);
  FinishLayout(owner);
  return true;
}

void ConfigView::ShowPage(int page) {
  page_ = page;
  for (int i = 0; i < 2; ++i) {
    for (HWND control : pages_[i]) ShowWindow(control, i == page ? SW_SHOWNA : SW_HIDE);
  }
  ShowOffer();
}

void ConfigView::ShowOffer() {
  const bool shown = page_ == 0 && !form_.lblFound.Caption().empty();
  // The button just clicked goes away: the focus moves to the location it filled in.
  if (!shown && cmdUseFound_ && GetFocus() == cmdUseFound_ && txtLocation_) SetFocus(txtLocation_);
  for (HWND control : {lblFound_, cmdUseFound_}) {
    if (control) ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
  }
}

LRESULT CALLBACK ConfigView::TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR hook, DWORD_PTR data) {
  if (message == WM_NCDESTROY) Unsubclass(window, &ConfigView::TabProc, hook);
  const LRESULT result = CallSubclassed(window, message, wParam, lParam);
  // A page chosen from outside (TCM_SETCURSEL sends no TCN_SELCHANGE) shows its controls too.
  if (message == TCM_SETCURSEL) {
    reinterpret_cast<ConfigView*>(data)->ShowPage(
        static_cast<int>(SendMessageA(window, TCM_GETCURSEL, 0, 0)));
  }
  return result;
}

LRESULT ConfigView::Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == tab_ && header->code == TCN_SELCHANGE) {
      ShowPage(static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0)));
      handled = true;
    }
  } else if (message == WM_CLOSE) {
    // Alt+F4: the same as "&Done", the only way out.
    handled = true;
    form_.cmdBottom.UserClicked();
  }
  (void)wParam;
  return 0;
}

HBRUSH ConfigView::LabelColours(HWND label, HDC dc) {
  if (label != lblGame_ && label != lblLocation_ && label != lblFound_) return nullptr;
  // The labels lie on the tab control: draw its face under their text.
  RECT client{};
  GetClientRect(label, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  POINT origin{0, 0};
  MapWindowPoints(label, tab_, &origin, 1);
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
  SendMessageA(tab_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

}  // namespace rd::win32
