#include "app/lost_lamps.h"

#include "indicators/win32_lamp_rescue.h"

namespace lumora {

void BringNewLampInView(HWND lamp, const DeviceRecord& device, __gui_data& record) {
    if (!RescueLampWindow(lamp, record, CurrentMonitors())) return;
    if (record.m_settingsFile) record.m_settingsFile->SerializeIndicator(record, true, device.name);
}

// One write of the settings file for every lamp that moved, none when all could stay.
void RescueLostLamps() {
    const std::vector<MonitorArea> monitors = CurrentMonitors();
    bool moved = false;
    for (size_t i = 0; i < g_indicators.size() && i < g_devices.size(); ++i) {
        if (!g_indicators[i]) continue;
        moved |= RescueLampWindow(static_cast<HWND>(g_devices[i].hWnd), *g_indicators[i], monitors);
    }
    if (moved) SaveIndicators();
}

}  // namespace lumora
