#pragma once
// The Summary page of the options window: the running statistics of every shown device.

#include <windows.h>

namespace lumora {

INT_PTR CALLBACK SummaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lumora
