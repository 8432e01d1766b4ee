#pragma once
// The Summary page of the options window: the running statistics of every shown device.

#include <windows.h>

#include <vector>

#include "options/summary_text.h"

namespace lumora {

// What the Summary page asks of the program: the devices it reports on.
class SummaryPageHost {
public:
    virtual ~SummaryPageHost() = default;
    // The devices whose lamp is on screen and holds its record, in the device list's order, each
    // with that record's sampler. Valid until the device list is rebuilt, which closes the page.
    virtual std::vector<SummaryDevice> ShownDevices() = 0;
};

INT_PTR CALLBACK SummaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lumora
