#pragma once

#include <windows.h>

namespace lumora {

inline constexpr wchar_t kWorkerClassName[] = L"Worker";

ATOM RegisterWorkerWndClass();
// The hidden, message-only window that owns the timers and receives notifications.
HWND CreateWorkerWindow();

}  // namespace lumora
