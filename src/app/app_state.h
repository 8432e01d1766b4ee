#pragma once
// Process-wide state of the application shell. Only the GUI thread touches it.

#include <windows.h>

namespace lumora {

// Hands pages back to the system so that the resident program stays small; the bounds are a
// request the system may ignore, so the result does not matter.
void TrimWorkingSet();

}  // namespace lumora

extern HINSTANCE g_hInstance;
extern HWND g_hWndWorker;
extern HWND g_hWndOptions;
