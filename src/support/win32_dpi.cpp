#include "support/win32_dpi.h"

#include "support/dpi_scale.h"
#include "support/win32_library.h"
#include "support/win_owners.h"

namespace lumora {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

HMODULE User32() { return ::GetModuleHandleW(L"user32.dll"); }

// Loaded once and kept for the life of the process, like user32.
HMODULE ShellCore() {
    static const HMODULE module = LoadSystemLibrary(L"shcore.dll");
    return module;
}

uint32_t DpiOfMonitor(HMONITOR monitor) {
    static const auto getDpiForMonitor = Export<GetDpiForMonitorFunction>(ShellCore(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) return y;
    return SystemDpi();
}

}  // namespace

uint32_t SystemDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kDefaultDpi;
}

uint32_t DpiOfWindow(HWND window) {
    static const auto getDpiForWindow = Export<GetDpiForWindowFunction>(User32(), "GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    return DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

uint32_t DpiAtPoint(POINT point) { return DpiOfMonitor(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

uint32_t PrimaryMonitorDpi() { return DpiOfMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, uint32_t dpi) {
    static const auto adjust = Export<AdjustWindowRectExForDpiFunction>(User32(), "AdjustWindowRectExForDpi");
    if (adjust) return adjust(&rect, style, menu ? TRUE : FALSE, exStyle, dpi) != FALSE;
    return ::AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, exStyle) != FALSE;
}

}  // namespace lumora
