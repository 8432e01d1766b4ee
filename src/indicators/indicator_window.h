#pragma once
// The indicator lamp windows: a borderless, always-on-top lamp per shown device (16 x 12 at 96
// DPI, grown with its monitor's DPI), painted from its last sample, with a statistics tooltip,
// dragging and a context menu.

#include <windows.h>

#include <vector>

#include "indicators/lamp_record.h"
#include "sampling/device_record.h"

namespace lumora {

inline constexpr wchar_t kIndicatorClassName[] = L"LUMORAIndicator";
inline constexpr UINT_PTR TIMERID_SAVEINDICATORS = 5913;
inline constexpr UINT kSavePositionsDelayMs = 1000;

// What a lamp asks of the program around it.
class IndicatorHost {
public:
    virtual ~IndicatorHost() = default;
    // Owner of the save timer that a finished drag restarts.
    virtual HWND WorkerWindow() = 0;
    virtual void ShowOptionsWindow() = 0;
    // Every device's lamp window in device order (null where a device has none), for the
    // drag that moves them all.
    virtual std::vector<HWND> LampWindows() = 0;
};

// Before the first lamp is made: the module's instance and the host; the host outlives the lamps.
void InitIndicatorWindows(HINSTANCE instance, IndicatorHost* host);
ATOM RegisterIndicatorWndClass();

// Null at once without a record. `index` counts the lamps attempted in this pass; the window
// moves to the record's position as it is created.
HWND CreateIndicatorWindow(DeviceRecord& device, LampRecord* record, int index);

// The lamp lets go of its record (closing the sampler and the tooltip) and from then on paints
// nothing and reads nothing of it; the window stays.
void DetachIndicatorWindow(HWND window);

// Samples the device and schedules a repaint, or runs one flash step instead (and reports no
// activity). 0 for a window without a record.
ActivityState UpdateIndicator(HWND window);

}  // namespace lumora
