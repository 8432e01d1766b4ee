#pragma once
// The General page of the options window: which kinds of device get lamps, and which devices.

#include <windows.h>

namespace lumora {

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lumora
