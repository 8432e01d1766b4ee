#pragma once
// The monitors as the system has them now, and a lamp window brought onto one of them.

#include <windows.h>

#include <vector>

#include "indicators/lamp_record.h"
#include "indicators/lamp_rescue.h"

namespace lumora {

// The primary monitor first, so that it wins between equally near ones.
std::vector<MonitorArea> CurrentMonitors();

// Moves the lamp when no monitor shows any of it and keeps its new place in the record. True
// when it moved; the caller decides when the settings file hears of it.
bool RescueLampWindow(HWND lamp, LampRecord& record, const std::vector<MonitorArea>& monitors);

}  // namespace lumora
