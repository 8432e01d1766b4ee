#include "app/lost_lamps.h"

#include "indicators/win32_lamp_rescue.h"

namespace lumora {
namespace {

constexpr wchar_t kDisplayWatchClassName[] = L"LUMORADisplayWatch";

HWND g_displayWatch = nullptr;

// One write of the settings file for every lamp that moved, none when all could stay.
void OnDisplayChanged() {
    const std::vector<MonitorArea> monitors = CurrentMonitors();
    bool moved = false;
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
        if (!g_indicators[i]) continue;
        moved |= RescueLampWindow(static_cast<HWND>(g_devices[i].hWnd), *g_indicators[i], monitors);
    }
    if (moved) SaveIndicators();
}

LRESULT CALLBACK DisplayWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DISPLAYCHANGE) OnDisplayChanged();
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void BringNewLampInView(HWND lamp, const DeviceRecord& device, __gui_data& record) {
    if (!RescueLampWindow(lamp, record, CurrentMonitors())) return;
    if (record.m_settingsFile) record.m_settingsFile->SerializeIndicator(record, true, device.name);
}

void StartDisplayWatch(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DisplayWatchProc;
    wc.hInstance = instance;
    wc.lpszClassName = kDisplayWatchClassName;
    // Registered already when the program is started again in the same process (the leak check).
    ::RegisterClassExW(&wc);
    // Never shown, so it takes no place on the taskbar or in Alt+Tab.
    g_displayWatch = ::CreateWindowExW(WS_EX_TOOLWINDOW, kDisplayWatchClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, instance, nullptr);
}

void StopDisplayWatch() {
    if (g_displayWatch) ::DestroyWindow(g_displayWatch);
    g_displayWatch = nullptr;
}

}  // namespace lumora
