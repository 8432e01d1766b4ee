#pragma once
// The lamps on screen: a record whose lamp is enabled and whose window is visible. The tick
// samples them, the topmost pass raises them, and the options pages list and move them.

#include <windows.h>

#include <cstddef>

#include "app/device_set.h"

namespace lumora {

// Device i's lamp window, or null.
inline HWND LampOf(size_t index) {
    return index < g_devices.size() ? static_cast<HWND>(g_devices[index].hWnd) : nullptr;
}

inline bool IsLampShown(size_t index) {
    HWND lamp = LampOf(index);
    return index < g_indicators.size() && g_indicators[index]->m_visible && lamp && ::IsWindowVisible(lamp);
}

// visit(index, lamp) for every shown lamp, in device order; entry index of g_indicators is its record.
template <typename Visit>
void ForEachShownLamp(Visit visit) {
    for (size_t i = 0; i < g_indicators.size(); ++i) {
        if (IsLampShown(i)) visit(i, LampOf(i));
    }
}

}  // namespace lumora
