#pragma once
#include <windows.h>

namespace rd::win32 {

// A function of one of Windows' own DLLs, loaded on first use, so that start-up pays only
// for the DLLs the splash window needs. Null when the DLL or the function is missing.
template <typename Fn>
Fn SystemFunction(const char* dll, const char* name) {
  HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without the search flag refuse it; the DLLs asked for are known to Windows.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryA(dll);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace rd::win32
