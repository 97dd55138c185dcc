#include "win32/FormWindow.h"

#include "resources/resource.h"

#include "win32/CommonControls.h"

#include <algorithm>
#include <cstring>

namespace rd::win32 {
namespace {

constexpr UINT_PTR kSetTextHook = 1;
constexpr UINT_PTR kFocusHook = 2;

// Dynamically loaded, so the program still starts on systems older than Windows 10.
template <typename Fn>
Fn User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  if (!user32) return nullptr;
  const FARPROC proc = GetProcAddress(user32, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

UINT DpiOf(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const Fn getDpiForWindow = User32Function<Fn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const Fn adjustForDpi = User32Function<Fn>("AdjustWindowRectExForDpi");
  if (adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

std::vector<FormWindow*>& LiveForms() {
  static std::vector<FormWindow*> forms;
  return forms;
}

bool HasClass(HWND window, const char* className) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return lstrcmpiA(name, className) == 0;
}

bool IsPushButton(HWND window) {
  if (!HasClass(window, WC_BUTTONA)) return false;
  const LONG_PTR type = GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The notifications our own SetWindowText and CB_* calls cause are not the user's.
struct SyncGuard {
  explicit SyncGuard(int& depth) : depth_(depth) { ++depth_; }
  ~SyncGuard() { --depth_; }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;
  int& depth_;
};

std::string ComboItem(HWND combo, int index) {
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR || got < 0 ? 0 : static_cast<std::size_t>(got));
  return text;
}

}  // namespace

void WindowCounter::Removed() {
  if (live_ > 0 && --live_ == 0) PostQuitMessage(0);
}

FormWindow::FormWindow(WindowCounter& counter, HINSTANCE instance)
    : counter_(counter), instance_(instance) {
  LiveForms().push_back(this);
}

FormWindow::~FormWindow() {
  Unbind();
  if (hwnd_) DestroyWindow(hwnd_);
  auto& forms = LiveForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  FreeFonts();
  if (background_) DeleteObject(background_);
}

WindowHandle FormWindow::Handle() const { return reinterpret_cast<WindowHandle>(hwnd_); }

std::string FormWindow::TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

FormWindow* FormWindow::FromHandle(HWND window) {
  if (!window) return nullptr;
  for (FormWindow* form : LiveForms()) {
    if (form->hwnd_ == window) return form;
  }
  return nullptr;
}

HWND FormWindow::PreferredOwner() {
  const HWND active = GetActiveWindow();
  if (FromHandle(active) && IsWindowVisible(active)) return active;
  // Newest first: the window the user saw last.
  const auto& forms = LiveForms();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    if ((*it)->hwnd_ && IsWindowVisible((*it)->hwnd_)) return (*it)->hwnd_;
  }
  return nullptr;
}

bool FormWindow::PreTranslate(MSG& msg) {
  if (!msg.hwnd) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  FormWindow* form = FromHandle(root);
  if (!form) return false;
  if (msg.message == WM_KEYDOWN && form->Key(msg)) return true;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && !form->tabOrder_.empty() &&
      (GetKeyState(VK_CONTROL) & 0x8000) == 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
    form->MoveFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
    return true;
  }
  return IsDialogMessageA(root, &msg) != 0;
}

bool FormWindow::CreateFrame(const Frame& frame) {
  frame_ = frame;
  background_ = CreateSolidBrush(frame.background);

  WNDCLASSEXA cls{};
  cls.cbSize = sizeof cls;
  if (!GetClassInfoExA(instance_, frame.className, &cls)) {
    cls = WNDCLASSEXA{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &FormWindow::WindowProc;
    cls.hInstance = instance_;
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    cls.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APP));
    if (!cls.hIcon) cls.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    cls.lpszClassName = frame.className;
    if (!RegisterClassExA(&cls)) return false;
  }
  hwnd_ = CreateWindowExA(frame.exStyle, frame.className, frame.caption,
                          frame.style | WS_CLIPCHILDREN, 0, 0, 100, 100, frame.owner, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  counter_.Added();
  dpi_ = DpiOf(hwnd_);
  MakeFonts();
  return true;
}

HWND FormWindow::AddControl(const char* className, const std::string& text, DWORD style,
                            DWORD exStyle, int id, TwipRect position, FontKind font,
                            int extraHeight) {
  if (!hwnd_) return nullptr;
  LoadCommonControls();  // before the first control: it registers their classes
  // Push buttons tell when they get the focus, so that the default border can follow it.
  const DWORD type = style & BS_TYPEMASK;
  if (lstrcmpiA(className, WC_BUTTONA) == 0 &&
      (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
    style |= BS_NOTIFY;
  }
  const HWND child =
      CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                      hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  if (!child) return nullptr;
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(Font(font)), FALSE);
  children_.push_back(Child{child, position, font, extraHeight, false});
  return child;
}

HFONT FormWindow::Font(FontKind kind) const { return fonts_[static_cast<int>(kind)]; }

HICON FormWindow::LoadProgramIcon(int size) const {
  auto icon = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!icon) {
    icon = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, size, size,
                                         LR_SHARED));
  }
  return icon;
}

void FormWindow::MakeFonts() {
  HFONT old[3] = {fonts_[0], fonts_[1], fonts_[2]};
  const auto make = [this](int heightPoints100, int weight) {
    LOGFONTA font{};
    font.lfHeight = -MulDiv(heightPoints100, static_cast<int>(dpi_), 7200);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    return CreateFontIndirectA(&font);
  };
  fonts_[static_cast<int>(FontKind::Normal)] = make(825, FW_NORMAL);
  fonts_[static_cast<int>(FontKind::Bold)] = make(825, FW_BOLD);
  fonts_[static_cast<int>(FontKind::Title)] = make(1200, FW_BOLD);
  for (const Child& child : children_) {
    SendMessageA(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(Font(child.font)), FALSE);
  }
  for (HFONT font : old) {
    if (font) DeleteObject(font);
  }
}

void FormWindow::FreeFonts() {
  for (HFONT& font : fonts_) {
    if (font) DeleteObject(font);
    font = nullptr;
  }
}

void FormWindow::PlaceChildren() {
  for (const Child& child : children_) PlaceChild(child);
}

void FormWindow::PlaceChild(const Child& child) {
  const int x = Px(child.position.left);
  const int y = Px(child.position.top);
  int width = Px(child.position.left + child.position.width) - x;
  const int height = Px(child.position.top + child.position.height) - y + Px(child.extraHeight);
  if (child.fitWidth) {
    const std::string text = TextOf(child.window);
    if (const HDC dc = GetDC(child.window)) {
      const HGDIOBJ old = SelectObject(dc, Font(child.font));
      SIZE extent{};
      if (GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent)) {
        width = std::max(width, static_cast<int>(extent.cx) + 2);
      }
      SelectObject(dc, old);
      ReleaseDC(child.window, dc);
    }
  }
  SetWindowPos(child.window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::FitWidth(HWND label) {
  for (Child& child : children_) {
    if (child.window != label) continue;
    child.fitWidth = true;
    PlaceChild(child);
  }
}

SIZE FormWindow::FrameSize() const {
  RECT rect{0, 0, Px(frame_.clientWidth), Px(frame_.clientHeight)};
  AdjustForDpi(rect, frame_.style | WS_CLIPCHILDREN, frame_.exStyle, dpi_);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void FormWindow::Centre(HWND over) {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;

  RECT around{};
  const bool overOwner = over && IsWindowVisible(over) && !IsIconic(over);
  if (overOwner) GetWindowRect(over, &around);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  const HMONITOR handle = overOwner ? MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY);
  if (!GetMonitorInfoA(handle, &monitor)) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
  }
  if (!overOwner) around = monitor.rcWork;

  int x = around.left + ((around.right - around.left) - width) / 2;
  int y = around.top + ((around.bottom - around.top) - height) / 2;
  const RECT& work = monitor.rcWork;
  x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
  y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::FinishLayout(HWND centreOver) {
  if (!hwnd_) return;
  PlaceChildren();
  Relayout();
  const SIZE size = FrameSize();
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Centre(centreOver);
  // A move onto a monitor of another DPI has been handled by WM_DPICHANGED.
}

void FormWindow::BindLabel(HWND window, forms::Label& model) {
  if (!window) return;
  bindings_.push_back(Binding{window, GetDlgCtrlID(window), &model, nullptr, nullptr, nullptr});
  model.OnModelChanged = [this, window, &model] {
    SyncGuard guard(syncing_);
    if (TextOf(window) != model.Caption()) SetWindowTextA(window, model.Caption().c_str());
    EnableWindow(window, model.Enabled());
    for (const Child& child : children_) {
      if (child.window == window && child.fitWidth) PlaceChild(child);
    }
  };
  model.OnModelChanged();
}

void FormWindow::BindTextBox(HWND window, forms::TextBox& model) {
  if (!window) return;
  bindings_.push_back(Binding{window, GetDlgCtrlID(window), &model, &model, nullptr, nullptr});
  const Binding binding = bindings_.back();
  model.OnModelChanged = [this, binding] { SyncTextBox(binding); };
  SyncTextBox(binding);
}

void FormWindow::BindComboBox(HWND window, forms::ComboBox& model) {
  if (!window) return;
  bindings_.push_back(Binding{window, GetDlgCtrlID(window), &model, nullptr, &model, nullptr});
  const Binding binding = bindings_.back();
  model.OnModelChanged = [this, binding] { SyncComboBox(binding); };
  SyncComboBox(binding);
  // WM_SETTEXT sent to an editable combo box from outside is the user's text too.
  if (model.Style() == forms::ComboStyle::DropDown) {
    Subclass(window, &FormWindow::BoxProc, kSetTextHook, reinterpret_cast<DWORD_PTR>(this));
  }
}

void FormWindow::BindButton(HWND window, forms::Button& model) {
  if (!window) return;
  bindings_.push_back(Binding{window, GetDlgCtrlID(window), &model, nullptr, nullptr, &model});
  model.OnModelChanged = [this, window, &model] {
    SyncGuard guard(syncing_);
    EnableWindow(window, model.Enabled());
  };
  model.OnModelChanged();
}

void FormWindow::WatchLeaving(HWND box, std::function<void()> leaving) {
  if (!box) return;
  // An editable combo box holds the focus in its edit child.
  HWND focusHolder = box;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (HasClass(box, WC_COMBOBOXA) && GetComboBoxInfo(box, &info) && info.hwndItem) {
    focusHolder = info.hwndItem;
  }
  leaving_.emplace_back(box, std::move(leaving));
  Subclass(focusHolder, &FormWindow::BoxProc, kFocusHook, reinterpret_cast<DWORD_PTR>(this));
}

void FormWindow::SetKeyButtons(HWND enterButton, HWND escapeButton) {
  enterButton_ = enterButton;
  escapeButton_ = escapeButton;
}

void FormWindow::SyncTextBox(const Binding& binding) {
  SyncGuard guard(syncing_);
  const std::string& text = binding.textBox->Text();
  if (TextOf(binding.window) != text) SetWindowTextA(binding.window, text.c_str());
  EnableWindow(binding.window, binding.textBox->Enabled());
}

void FormWindow::SyncComboBox(const Binding& binding) {
  SyncGuard guard(syncing_);
  const HWND combo = binding.window;
  const forms::ComboBox& model = *binding.comboBox;
  const auto& items = model.Items();

  bool sameItems = SendMessageA(combo, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(items.size());
  for (std::size_t i = 0; sameItems && i < items.size(); ++i) {
    sameItems = ComboItem(combo, static_cast<int>(i)) == items[i];
  }
  if (!sameItems) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    // In the model's own order: the box has no CBS_SORT.
    for (const std::string& item : items) {
      SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(item.c_str()));
    }
  }
  if (!sameItems || SendMessageA(combo, CB_GETCURSEL, 0, 0) != model.ListIndex()) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(model.ListIndex()), 0);
  }
  if (model.Style() == forms::ComboStyle::DropDown && TextOf(combo) != model.Text()) {
    SetWindowTextA(combo, model.Text().c_str());
  }
  EnableWindow(combo, model.Enabled());
}

void FormWindow::Unbind() {
  for (const Binding& binding : bindings_) binding.model->OnModelChanged = nullptr;
  bindings_.clear();
}

void FormWindow::Show() {
  if (!hwnd_) return;
  if (!shownOnce_) {
    shownOnce_ = true;
    if (!tabOrder_.empty()) lastFocus_ = tabOrder_.front();
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (GetActiveWindow() == hwnd_ && lastFocus_ && IsWindow(lastFocus_)) FocusControl(lastFocus_);
  UpdateWindow(hwnd_);
}

void FormWindow::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void FormWindow::EnableOthers(bool enable) {
  if (enable) {
    for (HWND window : disabled_) {
      if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    disabled_.clear();
    return;
  }
  for (FormWindow* form : LiveForms()) {
    if (form == this || !form->hwnd_ || !IsWindowEnabled(form->hwnd_)) continue;
    EnableWindow(form->hwnd_, FALSE);
    disabled_.push_back(form->hwnd_);
  }
}

void FormWindow::ShowModal() {
  if (!hwnd_) return;
  HWND owner = PreferredOwner();
  if (owner == hwnd_) owner = nullptr;
  if (owner) SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  Centre(owner);
  modal_ = true;
  EnableOthers(false);
  shownOnce_ = true;
  if (!tabOrder_.empty()) lastFocus_ = tabOrder_.front();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (lastFocus_) FocusControl(lastFocus_);

  MSG msg{};
  while (hwnd_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The outer loop must see the quit too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (modal_) {
    modal_ = false;
    EnableOthers(true);
  }
}

void FormWindow::Close() {
  if (!hwnd_) return;
  // The owner must be enabled again before this window goes, or Windows activates
  // another program's window.
  if (modal_) {
    modal_ = false;
    EnableOthers(true);
  }
  DestroyWindow(hwnd_);
}

HWND FormWindow::FocusedControl() const {
  const HWND focus = GetFocus();
  if (!focus || !IsChild(hwnd_, focus)) return nullptr;
  for (HWND control : tabOrder_) {
    if (control == focus || IsChild(control, focus)) return control;
  }
  return focus;
}

void FormWindow::FocusControl(HWND control) {
  if (!control || !IsWindow(control)) return;
  SetFocus(control);
  if (HasClass(control, WC_EDITA)) {
    SendMessageA(control, EM_SETSEL, 0, -1);
  } else if (HasClass(control, WC_COMBOBOXA)) {
    SendMessageA(control, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  }
}

bool FormWindow::MoveFocus(bool backwards) {
  if (tabOrder_.empty()) return false;
  const HWND current = FocusedControl();
  const auto count = static_cast<int>(tabOrder_.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (tabOrder_[static_cast<std::size_t>(i)] == current) at = i;
  }
  if (at < 0) at = backwards ? 0 : count - 1;
  for (int step = 1; step <= count; ++step) {
    const int next = ((at + (backwards ? -step : step)) % count + count) % count;
    const HWND candidate = tabOrder_[static_cast<std::size_t>(next)];
    if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
      FocusControl(candidate);
      return true;
    }
  }
  return false;
}

void FormWindow::ShowDefaultBorderOn(HWND button) {
  for (const Child& child : children_) {
    if (!IsPushButton(child.window)) continue;
    const WPARAM style = child.window == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongPtrA(child.window, GWL_STYLE) & BS_TYPEMASK) != static_cast<LONG_PTR>(style)) {
      SendMessageA(child.window, BM_SETSTYLE, style, TRUE);
    }
  }
}

void FormWindow::HandleCommand(int id, int code, HWND control) {
  if (control && ((code == EN_SETFOCUS && HasClass(control, WC_EDITA)) ||
                  (code == CBN_SETFOCUS && HasClass(control, WC_COMBOBOXA)))) {
    lastFocus_ = control;
  }
  // As in any dialog: Enter presses the focused button, which therefore wears the border;
  // elsewhere it goes back to the button Enter presses then.
  if (control && (code == BN_SETFOCUS || code == BN_KILLFOCUS) && IsPushButton(control)) {
    ShowDefaultBorderOn(code == BN_SETFOCUS ? control : enterButton_);
  }
  if (syncing_ > 0) return;
  for (const Binding& binding : bindings_) {
    if (binding.id != id) continue;
    const HWND window = control ? control : binding.window;
    if (binding.textBox && code == EN_CHANGE) {
      binding.textBox->UserEdited(TextOf(window));
    } else if (binding.comboBox && code == CBN_EDITCHANGE) {
      binding.comboBox->UserEdited(TextOf(binding.window));
    } else if (binding.comboBox && code == CBN_SELCHANGE) {
      const auto index = static_cast<int>(SendMessageA(binding.window, CB_GETCURSEL, 0, 0));
      if (index >= 0) binding.comboBox->UserSelected(index);
    } else if (binding.button && code == BN_CLICKED) {
      binding.button->UserClicked();
    }
    return;  // a handler may have destroyed the window: touch nothing more
  }
}

void FormWindow::OnBoxKillFocus(HWND focusHolder, HWND newFocus) {
  if (!hwnd_ || !newFocus || GetAncestor(newFocus, GA_ROOT) != hwnd_) return;
  for (const auto& [box, leaving] : leaving_) {
    if (box != focusHolder && !IsChild(box, focusHolder)) continue;
    if (newFocus == box || IsChild(box, newFocus)) return;  // e.g. its own drop-down list
    for (const Binding& binding : bindings_) {
      if (binding.window == newFocus && binding.button && !binding.button->causesValidation) {
        return;
      }
    }
    const auto run = leaving;  // may show a message box, which may run anything
    run();
    // A button that took the focus with a mouse press goes on to wait for the release; a
    // box shown meanwhile has taken that release, and the button would stay pressed until
    // the next click. The warning stands in for the click instead.
    if (IsWindow(newFocus) && IsPushButton(newFocus) && !(GetKeyState(VK_LBUTTON) & 0x8000)) {
      PostMessageA(newFocus, WM_CANCELMODE, 0, 0);
    }
    return;
  }
}

void FormWindow::OnBoxSetText(HWND box) {
  if (syncing_ > 0) return;
  for (const Binding& binding : bindings_) {
    if (binding.window == box && binding.comboBox) {
      binding.comboBox->UserEdited(TextOf(box));
      return;
    }
  }
}

LRESULT CALLBACK FormWindow::BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR hook, DWORD_PTR data) {
  auto* form = reinterpret_cast<FormWindow*>(data);
  switch (message) {
    case WM_KILLFOCUS:
      if (hook == kFocusHook) {
        const LRESULT result = CallSubclassed(window, message, wParam, lParam);
        if (FromHandle(form->hwnd_) == form) {
          try {
            form->OnBoxKillFocus(window, reinterpret_cast<HWND>(wParam));
          } catch (...) {
          }
        }
        return result;
      }
      break;
    case WM_SETTEXT:
      if (hook == kSetTextHook) {
        const LRESULT result = CallSubclassed(window, message, wParam, lParam);
        if (FromHandle(form->hwnd_) == form) {
          try {
            form->OnBoxSetText(window);
          } catch (...) {
          }
        }
        return result;
      }
      break;
    case WM_NCDESTROY:
      Unsubclass(window, &FormWindow::BoxProc, hook);
      break;
    default:
      break;
  }
  return CallSubclassed(window, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  FormWindow* form = nullptr;
  if (message == WM_NCCREATE) {
    form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (!form || form->hwnd_ != window) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return form->Handle(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's frames.
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT FormWindow::Message(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void FormWindow::Destroyed() {
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  children_.clear();
  tabOrder_.clear();
  leaving_.clear();
  lastFocus_ = nullptr;
  counter_.Removed();
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = hwnd_;
  bool handled = false;
  const LRESULT result = Message(message, wParam, lParam, handled);
  if (handled) return result;

  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window, &paint);
      if (dc) Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const auto dc = reinterpret_cast<HDC>(wParam);
      if (HasClass(control, WC_STATICA)) {
        if (const HBRUSH brush = LabelColours(control, dc)) return reinterpret_cast<LRESULT>(brush);
        SetBkColor(dc, frame_.background);
        return reinterpret_cast<LRESULT>(background_);
      }
      break;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      const auto control = reinterpret_cast<HWND>(lParam);
      // Enter and Escape from the dialog manager.
      if ((id == IDOK || id == IDCANCEL) && (!control || !IsChild(window, control))) {
        const HWND button = id == IDOK ? enterButton_ : escapeButton_;
        if (button && IsWindowEnabled(button)) HandleCommand(GetDlgCtrlID(button), BN_CLICKED, button);
        return 0;
      }
      if (Command(id, code, control)) return 0;
      HandleCommand(id, code, control);
      return 0;
    }
    case DM_GETDEFID: {
      const HWND focus = GetFocus();
      if (focus && IsChild(window, focus) && IsPushButton(focus)) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
      }
      if (enterButton_) return MAKELRESULT(GetDlgCtrlID(enterButton_), DC_HASDEFID);
      return 0;
    }
    case WM_NEXTDLGCTL:
      if (LOWORD(lParam)) {
        FocusControl(reinterpret_cast<HWND>(wParam));
      } else {
        MoveFocus(wParam != 0);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_) &&
                 IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
      } else if (!tabOrder_.empty()) {
        MoveFocus(false);
      }
      return 0;
    case WM_SETFOCUS:
      // The frame itself never keeps the focus: back to the control that had it.
      if (lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_) &&
          IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
      } else if (!tabOrder_.empty()) {
        MoveFocus(false);
      }
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      MakeFonts();
      PlaceChildren();
      Relayout();
      const SIZE size = FrameSize();
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      // The controls got their new fonts without a redraw; the frame clips them.
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    }
    case WM_DESTROY:
      Unbind();
      if (modal_) {
        modal_ = false;
        EnableOthers(true);
      }
      return 0;
    case WM_NCDESTROY: {
      Destroyed();
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace rd::win32
