#pragma once
// The Appearance page of the options window: colours, opacity, update interval, keyboard LED and tray options.

#include <windows.h>

namespace lumora {

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lumora
