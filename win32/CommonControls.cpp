#include "win32/CommonControls.h"

namespace rd::win32 {
namespace {

struct Library {
  decltype(&SetWindowSubclass) subclass = nullptr;
  decltype(&RemoveWindowSubclass) unsubclass = nullptr;
  decltype(&DefSubclassProc) next = nullptr;
};

// Older versions export these by number only.
template <typename Fn>
Fn Function(HMODULE module, const char* name, WORD ordinal) {
  FARPROC proc = GetProcAddress(module, name);
  if (!proc && ordinal) proc = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

const Library& Loaded() {
  static const Library library = [] {
    Library l;
    // By bare name: the manifest's dependency sends it to version 6, which a search of the
    // system folder would bypass.
    const HMODULE module = LoadLibraryA("comctl32.dll");
    if (!module) return l;
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (const auto init = Function<Init>(module, "InitCommonControlsEx", 0)) {
      INITCOMMONCONTROLSEX controls{};
      controls.dwSize = sizeof controls;
      controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES;
      init(&controls);
    }
    l.subclass = Function<decltype(l.subclass)>(module, "SetWindowSubclass", 410);
    l.unsubclass = Function<decltype(l.unsubclass)>(module, "RemoveWindowSubclass", 412);
    l.next = Function<decltype(l.next)>(module, "DefSubclassProc", 413);
    return l;
  }();
  return library;
}

}  // namespace

void LoadCommonControls() { (void)Loaded(); }

bool Subclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  const Library& l = Loaded();
  return l.subclass && l.subclass(window, proc, id, data);
}

void Unsubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  if (const auto unsubclass = Loaded().unsubclass) unsubclass(window, proc, id);
}

LRESULT CallSubclassed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto next = Loaded().next) return next(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace rd::win32
