#pragma once
#include "library/LibraryWindow.h"
#include "win32/FormWindow.h"
#include "win32/PictureDraw.h"

namespace rd::win32 {

// The library: a search box, the virtual list of every demo and the pane on its right with
// the selected demo's facts, players and picture. Resizable; the presenter keeps the layout.
class LibraryView final : public FormWindow {
 public:
  LibraryView(WindowCounter& counter, HINSTANCE instance, library::LibraryWindow& form);
  ~LibraryView() override;

  bool Create();
  void Show() override;
  void ShowModal() override;

 protected:
  void Paint(HDC dc) override;
  HBRUSH LabelColours(HWND label, HDC dc) override;
  void Relayout() override;
  bool Key(const MSG& msg) override;
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void Arrange();
  void RowsChanged();
  void ShowSortArrows();
  LRESULT Notify(NMHDR* header, bool& handled);
  void ContextMenu(int x, int y);
  void CopyPath(int row);
  void RemoveFolderMenu();
  void KeepLayout();
  void PlaceSaved();
  int Focused() const;

  library::LibraryWindow& form_;
  HWND search_ = nullptr;
  HWND list_ = nullptr;
  HWND status_ = nullptr;
  HWND line_ = nullptr;
  HWND players_ = nullptr;
  HWND addFolder_ = nullptr;
  HWND removeFolder_ = nullptr;
  HWND searchLabel_ = nullptr;
  HWND listLabel_ = nullptr;
  RECT picture_{};
  ScaledPicture shown_;  // the presenter's picture, scaled for the pane
  int syncing_ = 0;
  bool placed_ = false;
};

}  // namespace rd::win32
