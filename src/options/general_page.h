#pragma once
// The General page of the options window: which kinds of device get lamps, and which devices.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "options/options_rules.h"

namespace lumora {

// What the General page needs of the running program: its indicator records and their lamps.
class GeneralPageHost {
public:
    virtual ~GeneralPageHost() = default;
    // Every indicator record in order: its device's kind and its lamp's enable flag.
    virtual std::vector<IndicatorChoice> Records() = 0;
    // The name the record's device is listed under.
    virtual std::u16string RecordName(size_t record) = 0;
    // Takes the records' enable flags, stores every record in the settings and rebuilds the
    // lamps for the indication mode of this moment.
    virtual void ApplyRecords(const std::vector<IndicatorChoice>& records) = 0;
};

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The lists' selections and the mode into the records, then the lamps rebuilt; false (and
// nothing changed) when the page lacks its lists.
bool ApplyGeneralPage(HWND page);

}  // namespace lumora
