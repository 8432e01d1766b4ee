#include "app/app_state.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hWndWorker = nullptr;
HWND g_hWndOptions = nullptr;

void lumora::TrimWorkingSet() { ::SetProcessWorkingSetSize(::GetCurrentProcess(), 900000, 1000000); }
