#include <windows.h>

// Placeholder until the windows exist: says so rather than pretending to be the program.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Replaydock has no window yet.", "Replaydock", MB_OK | MB_ICONINFORMATION);
  return 0;
}
