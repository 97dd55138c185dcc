#include "win32/LibraryView.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/CommonControls.h"
#include "win32/ControlIds.h"
#include "win32/DragOut.h"
#include "win32/DroppedFiles.h"
#include "win32/WideText.h"

namespace rd::win32 {
namespace {

constexpr int kDefaultWidths[library::kColumns] = {180, 110, 110, 70, 150, 90, 60, 115, 75, 250};
constexpr int kRightAligned[] = {static_cast<int>(library::Column::Length),
                                 static_cast<int>(library::Column::Size)};
// Pixels at 96 DPI.
constexpr int kWidth = 900, kHeight = 540, kPane = 260, kMargin = 8, kRow = 23;
enum MenuId { kPlay = 1, kShow, kOpenFolder, kCopyPath };

}  // namespace

LibraryView::LibraryView(WindowCounter& counter, HINSTANCE instance, library::LibraryWindow& form)
    : FormWindow(counter, instance), form_(form) {}

LibraryView::~LibraryView() {
  form_.OnRowsChanged = nullptr;
  form_.OnPictureChanged = nullptr;
  if (Hwnd()) DestroyWindow(Hwnd());
}

bool LibraryView::Create() {
  Frame frame{};
  frame.className = ids::LibraryClass;
  frame.caption = library::LibraryWindow::Caption;
  frame.style = WS_OVERLAPPEDWINDOW;
  frame.exStyle = WS_EX_ACCEPTFILES;
  frame.owner = PreferredOwner();
  const int width = form_.layout.width > 0 ? form_.layout.width : kWidth;
  const int height = form_.layout.height > 0 ? form_.layout.height : kHeight;
  frame.clientWidth = width * 15;  // twips at 96 DPI
  frame.clientHeight = height * 15;
  frame.background = GetSysColor(COLOR_BTNFACE);
  if (!CreateFrame(frame)) return false;

  constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
  // The labels name the box and the list for assistive technology: each sits just before
  // its control.
  searchLabel_ = AddControl(WC_STATICA, "&Search:", SS_LEFT, 0, -1, {0, 0, 0, 0}, FontKind::Normal);
  search_ = AddControl(WC_EDITA, "", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
                       ids::LibraryTxtSearch, {0, 0, 0, 0}, FontKind::Normal);
  listLabel_ = AddControl(WC_STATICA, "Demos", kLabel, 0, -1, {0, 0, 0, 0}, FontKind::Normal);
  ShowWindow(listLabel_, SW_HIDE);
  list_ = AddControl(WC_LISTVIEWA, "",
                     WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                     WS_EX_CLIENTEDGE, ids::LibraryList, {0, 0, 0, 0}, FontKind::Normal);
  status_ = AddControl(WC_STATICA, "", kLabel | SS_ENDELLIPSIS, 0, ids::LibraryLblStatus,
                       {0, 0, 0, 0}, FontKind::Normal);
  line_ = AddControl(WC_STATICA, "", kLabel, 0, ids::LibraryLblLine, {0, 0, 0, 0}, FontKind::Bold);
  players_ = AddControl(WC_STATICA, "", kLabel, 0, ids::LibraryLblPlayers, {0, 0, 0, 0},
                        FontKind::Normal);
  addFolder_ = AddControl(WC_BUTTONA, "&Add folder...", WS_TABSTOP | BS_PUSHBUTTON, 0,
                          ids::LibraryCmdAddFolder, {0, 0, 0, 0}, FontKind::Normal);
  removeFolder_ = AddControl(WC_BUTTONA, "&Remove folder...", WS_TABSTOP | BS_PUSHBUTTON, 0,
                             ids::LibraryCmdRemoveFolder, {0, 0, 0, 0}, FontKind::Normal);
  if (!search_ || !list_) return false;

  // Before the box is shown: Wine's edit draws a cue set later only on the next repaint.
  const std::wstring cue = Wide(library::LibraryWindow::SearchCue);
  SendMessageA(search_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int c = 0; c < library::kColumns; ++c) {
    const std::string name(library::kColumnNames[static_cast<std::size_t>(c)]);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = std::find(std::begin(kRightAligned), std::end(kRightAligned), c) !=
                         std::end(kRightAligned)
                     ? LVCFMT_RIGHT
                     : LVCFMT_LEFT;
    const int saved = form_.layout.widths[static_cast<std::size_t>(c)];
    column.cx = MulDiv(saved > 0 ? saved : kDefaultWidths[c], static_cast<int>(Dpi()), 96);
    column.pszText = const_cast<char*>(name.c_str());
    column.iSubItem = c;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
  }

  BindTextBox(search_, form_.txtSearch);
  BindLabel(status_, form_.lblStatus);
  BindLabel(line_, form_.lblLine);
  BindLabel(players_, form_.lblPlayers);
  form_.OnRowsChanged = [this] { RowsChanged(); };
  form_.OnPictureChanged = [this] {
    shown_ = form_.CurrentPicture() ? ScaledPicture(*form_.CurrentPicture()) : ScaledPicture();
    InvalidateRect(Hwnd(), &picture_, TRUE);
  };
  SetTabOrder({search_, list_, addFolder_, removeFolder_});
  FinishLayout(PreferredOwner());
  RowsChanged();
  return true;
}

void LibraryView::Show() {
  PlaceSaved();
  FormWindow::Show();
}

void LibraryView::ShowModal() {
  // The modal loop centres the window first; the saved place wins once it shows.
  placed_ = false;
  FormWindow::ShowModal();
}

void LibraryView::PlaceSaved() {
  if (placed_ || !Hwnd()) return;
  placed_ = true;
  const auto& layout = form_.layout;
  RECT wanted{};
  GetWindowRect(Hwnd(), &wanted);
  if (layout.width > 0 && layout.height > 0) {
    const int width = MulDiv(layout.width, static_cast<int>(Dpi()), 96);
    const int height = MulDiv(layout.height, static_cast<int>(Dpi()), 96);
    const RECT saved{layout.left, layout.top, layout.left + width, layout.top + height};
    // Only onto a screen that is still there.
    if (MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) wanted = saved;
  }
  // Never larger than the screen it is on, nor partly off it.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    const LONG width = std::min(wanted.right - wanted.left, work.right - work.left);
    const LONG height = std::min(wanted.bottom - wanted.top, work.bottom - work.top);
    wanted.left = std::clamp(wanted.left, work.left, work.right - width);
    wanted.top = std::clamp(wanted.top, work.top, work.bottom - height);
    wanted.right = wanted.left + width;
    wanted.bottom = wanted.top + height;
  }
  SetWindowPos(Hwnd(), nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
               wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LibraryView::Relayout() { Arrange(); }

void LibraryView::Arrange() {
  if (!Hwnd() || !list_) return;
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const auto px = [this](int at96) { return MulDiv(at96, static_cast<int>(Dpi()), 96); };
  const int m = px(kMargin), row = px(kRow), pane = px(kPane);
  const int width = client.right, height = client.bottom;
  const int listRight = std::max(m + px(100), width - pane - 2 * m);
  const int labelWidth = px(50);
  const auto place = [](HWND window, int x, int y, int w, int h) {
    SetWindowPos(window, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(searchLabel_, m, m + px(4), labelWidth, row - px(4));
  place(search_, m + labelWidth, m, listRight - m - labelWidth, row);
  const int listTop = m + row + m;
  const int statusTop = height - m - row + px(4);
  const int button = px(110), buttonTop = height - m - row;
  const int buttonsLeft = std::max(m, listRight - 2 * button - m / 2);
  place(list_, m, listTop, listRight - m, buttonTop - listTop - m / 2);
  place(status_, m, statusTop, buttonsLeft - 2 * m, row - px(4));
  place(addFolder_, buttonsLeft, buttonTop, button, row);
  place(removeFolder_, buttonsLeft + button + m / 2, buttonTop, button, row);
  const int paneLeft = listRight + m;
  const int pictureHeight = pane * 3 / 4;
  picture_ = RECT{paneLeft, m, paneLeft + pane, m + pictureHeight};
  const int lineTop = picture_.bottom + m;
  place(line_, paneLeft, lineTop, pane, px(90));
  place(players_, paneLeft, lineTop + px(90) + m, pane, height - (lineTop + px(90) + m) - m);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

void LibraryView::RowsChanged() {
  if (!list_) return;
  ++syncing_;
  // Wine's list view redraws its scroll bar whenever it is told the count: a keystroke that
  // keeps as many rows only repaints them.
  if (SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0) != form_.RowCount()) {
    SendMessageA(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(form_.RowCount()),
                 LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  }
  const int selected = form_.SelectedRow();
  // Only the rows that wear the marks lose them: "all items" costs a notice per row.
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  for (const UINT mark : {LVNI_SELECTED, LVNI_FOCUSED}) {
    const auto row = static_cast<int>(
        SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), mark));
    if (row >= 0 && row != selected) {
      SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&none));
    }
  }
  if (selected >= 0) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item));
  }
  InvalidateRect(list_, nullptr, FALSE);
  ShowSortArrows();
  --syncing_;
}

void LibraryView::ShowSortArrows() {
  const auto header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
  if (!header) return;
  for (int c = 0; c < library::kColumns; ++c) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
    const int wanted = c != form_.SortColumn() ? 0 : form_.SortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
    if ((item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) == wanted) continue;
    item.fmt = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | wanted;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
  }
}

int LibraryView::Focused() const {
  return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool LibraryView::Key(const MSG& msg) {
  const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  switch (msg.wParam) {
    case 'F':
      if (!control) return false;
      SetFocus(search_);
      SendMessageA(search_, EM_SETSEL, 0, -1);
      return true;
    case VK_F5:
      form_.Rescan();
      return true;
    case VK_ESCAPE:
      form_.Close();
      return true;
    case VK_RETURN:
      if (msg.hwnd != list_ && msg.hwnd != search_) return false;
      if (control) {
        form_.PlayRow(Focused());
      } else {
        form_.Activate(Focused());
      }
      return true;
    case VK_DOWN:
      // From the search box straight into the list.
      if (msg.hwnd != search_ || form_.RowCount() == 0) return false;
      SetFocus(list_);
      if (Focused() < 0) {
        LVITEMA item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
      }
      return true;
    default:
      return false;
  }
}

void LibraryView::ContextMenu(int x, int y) {
  const int row = Focused();
  if (row < 0) return;
  if (x == -1 && y == -1) {  // from the keyboard: at the row
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    POINT at{rect.left + 16, rect.bottom};
    ClientToScreen(list_, &at);
    x = at.x;
    y = at.y;
  }
  const HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kPlay, "&Play\tCtrl+Enter");
  AppendMenuA(menu, MF_STRING, kShow, "&Show in the main window\tEnter");
  AppendMenuA(menu, MF_STRING, kOpenFolder, "&Open containing folder");
  AppendMenuA(menu, MF_STRING, kCopyPath, "&Copy path");
  SetMenuDefaultItem(menu, kShow, FALSE);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, Hwnd(), nullptr));
  DestroyMenu(menu);
  switch (chosen) {
    case kPlay: form_.PlayRow(row); break;
    case kShow: form_.Activate(row); break;
    case kOpenFolder: form_.OpenFolder(row); break;
    case kCopyPath: CopyPath(row); break;
    default: break;
  }
}

// The folders the user added, one item each; choosing one forgets it.
void LibraryView::RemoveFolderMenu() {
  const std::vector<library::Root> folders = form_.UserFolders();
  const HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < folders.size(); ++i) {
    std::string label = library::LibraryWindow::FolderLabel(folders[i]);
    // A lone "&" would underline the next letter.
    for (std::size_t at = label.find('&'); at != std::string::npos; at = label.find('&', at + 2)) {
      label.insert(at, 1, '&');
    }
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), label.c_str());
  }
  if (folders.empty()) AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, "No folders added");
  RECT at{};
  GetWindowRect(removeFolder_, &at);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, at.right, at.top, 0, Hwnd(), nullptr));
  DestroyMenu(menu);
  if (chosen > 0) form_.RemoveFolder(chosen - 1);
}

void LibraryView::CopyPath(int row) {
  const std::wstring path = Wide(form_.PathOf(row));
  if (path.empty() || !OpenClipboard(Hwnd())) return;
  EmptyClipboard();
  const SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
  if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* to = GlobalLock(memory)) {
      std::copy(path.c_str(), path.c_str() + path.size() + 1, static_cast<wchar_t*>(to));
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

LRESULT LibraryView::Notify(NMHDR* header, bool& handled) {
  if (header->hwndFrom != list_) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        // Any row below the count, at any time; a row gone meanwhile is empty.
        const std::string text = form_.CellText(info->item.iItem, info->item.iSubItem);
        lstrcpynA(info->item.pszText, text.c_str(), info->item.cchTextMax);
      }
      handled = true;
      return 0;
    }
    case LVN_ODFINDITEMA: {
      auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
      handled = true;
      if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
      return form_.FindPrefix(find->lvfi.psz, find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
    }
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      handled = true;
      form_.HeaderClicked(column);
      return 0;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
      handled = true;
      if (syncing_ == 0) form_.SelectRow(Focused());
      return 0;
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG: {
      handled = true;
      // The path, not the row: the list may change under a long drag.
      const std::string path = form_.PathOf(reinterpret_cast<NMLISTVIEW*>(header)->iItem);
      if (!path.empty()) DragFilesOut({path});
      return 0;
    }
    case LVN_ITEMACTIVATE:
    case NM_DBLCLK: {
      handled = true;
      const int row = Focused();
      if (row >= 0) form_.Activate(row);
      return 0;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      handled = true;
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
          form_.Greyed(static_cast<int>(draw->nmcd.dwItemSpec))) {
        draw->clrText = GetSysColor(COLOR_GRAYTEXT);
      }
      return CDRF_DODEFAULT;
    }
    default:
      return 0;
  }
}

void LibraryView::KeepLayout() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(Hwnd(), &placement)) {
    const RECT& r = placement.rcNormalPosition;
    form_.layout.left = r.left;
    form_.layout.top = r.top;
    // The size at 96 DPI, so that it means the same at another one.
    form_.layout.width = MulDiv(r.right - r.left, 96, static_cast<int>(Dpi()));
    form_.layout.height = MulDiv(r.bottom - r.top, 96, static_cast<int>(Dpi()));
  }
  for (int c = 0; c < library::kColumns; ++c) {
    const int width = static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    form_.layout.widths[static_cast<std::size_t>(c)] = MulDiv(width, 96, static_cast<int>(Dpi()));
  }
}

LRESULT LibraryView::Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_SIZE:
      Arrange();
      break;
    case WM_SHOWWINDOW:
      if (wParam) PlaceSaved();
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = MulDiv(560, static_cast<int>(Dpi()), 96);
      info->ptMinTrackSize.y = MulDiv(320, static_cast<int>(Dpi()), 96);
      handled = true;
      return 0;
    }
    case WM_NOTIFY: {
      const LRESULT result = Notify(reinterpret_cast<NMHDR*>(lParam), handled);
      if (handled) return result;
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list_) {
        handled = true;
        ContextMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::LibraryCmdAddFolder) {
        handled = true;
        form_.AddFolder();
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::LibraryCmdRemoveFolder) {
        handled = true;
        RemoveFolderMenu();
        return 0;
      }
      // Enter and Escape from the dialog manager, when no key of ours took them first.
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
        handled = true;
        form_.Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      handled = true;
      form_.Close();
      return 0;
    case WM_DROPFILES:
      handled = true;
      form_.Form_DropFiles(DroppedFiles(reinterpret_cast<HDROP>(wParam)));
      return 0;
    case WM_DESTROY:
      KeepLayout();
      break;
    default:
      break;
  }
  return FormWindow::Message(message, wParam, lParam, handled);
}

void LibraryView::Paint(HDC dc) {
  if (!shown_.Empty()) {
    shown_.Draw(dc, picture_);
    return;
  }
  FrameRect(dc, &picture_, GetSysColorBrush(COLOR_BTNSHADOW));
  if (form_.PictureMissing()) {
    DrawNoPicture(dc, picture_, library::LibraryWindow::NoPicture, Font(FontKind::Normal));
  }
}

HBRUSH LibraryView::LabelColours(HWND, HDC) { return nullptr; }

}  // namespace rd::win32
