#include "app/app_state.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hWndWorker = nullptr;
HWND g_hWndOptions = nullptr;
