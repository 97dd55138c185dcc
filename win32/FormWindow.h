#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/Host.h"

namespace rd::win32 {

// Counts the program's live top-level windows: the program ends when its last one closes.
class WindowCounter {
 public:
  void Added() { ++live_; }
  void Removed();
  int Live() const { return live_; }

 private:
  int live_ = 0;
};

// A position in twips (1/1440 inch) relative to the window's client area.
struct TwipRect {
  int left;
  int top;
  int width;
  int height;
};

enum class FontKind { Normal, Bold, Title };

// A fixed-size window drawn from a presenter's controls: layout in twips scaled to the
// window's DPI, Tahoma fonts, the model/view sync, keyboard navigation and the modal loop.
class FormWindow : public FormView {
 public:
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  WindowHandle Handle() const override;
  void Show() override;
  void Hide() override;
  void ShowModal() override;
  void Close() override;

  HWND Hwnd() const { return hwnd_; }

  // Tab order, Enter, Escape and access keys for the one of our windows the message is
  // meant for; true when the message was handled.
  static bool PreTranslate(MSG& msg);
  // The window of ours that a modal window opened now should be owned by.
  static HWND PreferredOwner();
  static std::string TextOf(HWND window);

 protected:
  FormWindow(WindowCounter& counter, HINSTANCE instance);

  struct Frame {
    const char* className;
    const char* caption;
    DWORD style;
    DWORD exStyle;
    HWND owner;
    int clientWidth;  // twips
    int clientHeight;
    COLORREF background;
  };
  bool CreateFrame(const Frame& frame);
  // Creates a child control positioned by the layout; extraHeight (twips) is a combo
  // box's drop-down list.
  HWND AddControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                  int id, TwipRect position, FontKind font, int extraHeight = 0);
  // Sizes the frame for the DPI, places every control; then centres over owner (or the
  // screen when null).
  void FinishLayout(HWND centreOver);

  void BindLabel(HWND window, forms::Label& model);
  void BindTextBox(HWND window, forms::TextBox& model);
  void BindComboBox(HWND window, forms::ComboBox& model);
  void BindButton(HWND window, forms::Button& model);
  // Runs leaving() when the focus is about to move from box to another control of this
  // window (not to another program or window).
  void WatchLeaving(HWND box, std::function<void()> leaving);
  void SetTabOrder(std::vector<HWND> order) { tabOrder_ = std::move(order); }
  void SetKeyButtons(HWND enterButton, HWND escapeButton);
  // The label grows to the right when its caption is wider than its layout width.
  void FitWidth(HWND label);

  int Px(int twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }
  UINT Dpi() const { return dpi_; }
  HFONT Font(FontKind kind) const;
  HINSTANCE Instance() const { return instance_; }
  HICON LoadProgramIcon(int size) const;

  // Hooks for the windows.
  virtual void Paint(HDC) {}
  // WM_CTLCOLORSTATIC for one of our labels; return a brush, or null for the default.
  virtual HBRUSH LabelColours(HWND, HDC) { return nullptr; }
  virtual bool Command(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  virtual LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  // A key pressed in one of this window's controls, before the dialog manager sees it;
  // true when taken.
  virtual bool Key(const MSG&) { return false; }
  // After the controls were placed for a new DPI.
  virtual void Relayout() {}

  HBRUSH BackgroundBrush() const { return background_; }

 private:
  struct Child {
    HWND window;
    TwipRect position;
    FontKind font;
    int extraHeight;
    bool fitWidth;
  };
  struct Binding {
    HWND window;
    int id;
    forms::Control* model;
    forms::TextBox* textBox;
    forms::ComboBox* comboBox;
    forms::Button* button;
  };

  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK BoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static FormWindow* FromHandle(HWND window);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void HandleCommand(int id, int code, HWND control);
  void ShowDefaultBorderOn(HWND button);
  void OnBoxKillFocus(HWND box, HWND newFocus);
  void OnBoxSetText(HWND box);
  void MakeFonts();
  void FreeFonts();
  void PlaceChildren();
  void PlaceChild(const Child& child);
  SIZE FrameSize() const;
  void Centre(HWND over);
  void Unbind();
  void Destroyed();
  bool MoveFocus(bool backwards);
  HWND FocusedControl() const;
  void FocusControl(HWND control);
  void EnableOthers(bool enable);

  void SyncTextBox(const Binding& binding);
  void SyncComboBox(const Binding& binding);

  WindowCounter& counter_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  Frame frame_{};
  UINT dpi_ = 96;
  HFONT fonts_[3] = {nullptr, nullptr, nullptr};
  HBRUSH background_ = nullptr;
  std::vector<Child> children_;
  std::vector<Binding> bindings_;
  std::vector<std::pair<HWND, std::function<void()>>> leaving_;
  std::vector<HWND> tabOrder_;
  HWND enterButton_ = nullptr;
  HWND escapeButton_ = nullptr;
  HWND lastFocus_ = nullptr;
  int syncing_ = 0;
  bool shownOnce_ = false;
  bool modal_ = false;
  std::vector<HWND> disabled_;  // windows the modal loop disabled
};

}  // namespace rd::win32
