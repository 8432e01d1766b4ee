#pragma once
// Lamps that no monitor shows come back onto the nearest one: as their windows are made (at
// start-up, after a rebuild, when the user switches one on) and whenever the monitors change.
// A lamp without a window keeps its stored place until it gets one.

#include <windows.h>

#include "app/device_set.h"

namespace lumora {

// Moves a new lamp window that would be lost and puts its new place into the settings model;
// the pass that makes the windows writes the file once for all of them.
void BringNewLampInView(HWND lamp, const DeviceRecord& device, __gui_data& record);

// After the monitors changed (WM_DISPLAYCHANGE): every lamp that none of them shows now.
void RescueLostLamps();

}  // namespace lumora
