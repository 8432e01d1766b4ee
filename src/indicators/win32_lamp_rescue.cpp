#include "indicators/win32_lamp_rescue.h"

namespace lumora {
namespace {

IndicatorRect FromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto& monitors = *reinterpret_cast<std::vector<MonitorArea>*>(context);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    monitors.push_back({FromRect(info.rcMonitor), FromRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> CurrentMonitors() {
    std::vector<MonitorArea> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool RescueLampWindow(HWND lamp, LampRecord& record, const std::vector<MonitorArea>& monitors) {
    RECT rect{};
    if (!lamp || !::GetWindowRect(lamp, &rect)) return false;
    const std::optional<LampPlace> place = RescueLamp(FromRect(rect), monitors);
    if (!place) return false;
    ::SetWindowPos(lamp, nullptr, place->x, place->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    record.m_x = place->x;
    record.m_y = place->y;
    return true;
}

}  // namespace lumora
