#include "app/worker_window.h"

#include "app/app_state.h"

namespace lumora {
namespace {

LRESULT CALLBACK WorkerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ATOM RegisterWorkerWndClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WorkerWndProc;
    wc.hInstance = g_hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWorkerClassName;
    return ::RegisterClassExW(&wc);
}

HWND CreateWorkerWindow() {
    return ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWorkerClassName, L"", WS_POPUP, 0, 0, 0, 0,
                             HWND_MESSAGE, nullptr, g_hInstance, nullptr);
}

}  // namespace lumora
