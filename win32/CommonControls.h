#pragma once
#include <windows.h>

#include <commctrl.h>

namespace rd::win32 {

// The common controls library, loaded by the first window that needs it rather than at
// start: the splash window does not, and loading it costs more than the splash itself.
// Each call loads it if it is not loaded yet.
void LoadCommonControls();
bool Subclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
void Unsubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT CallSubclassed(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace rd::win32
