#pragma once
// A lamp that no monitor shows cannot be dragged back: its monitor was unplugged, the
// resolution shrank, or the settings file came from another machine. Such a lamp goes to the
// nearest monitor; one that shows even a corner stays where the user put it.

#include <cstdint>
#include <optional>
#include <vector>

#include "indicators/lamp_record.h"
#include "support/lamp_place.h"

namespace lumora {

struct MonitorArea {
    IndicatorRect bounds;  // the whole monitor, in screen pixels
    IndicatorRect work;    // without the taskbar and docked toolbars
    bool primary = false;
};

// The lamp's new top-left corner, inside the work area of the monitor nearest to it, or nothing
// when it may stay. Of equally near monitors the primary wins, where the user looks first, else
// the first listed. With no monitor known nothing moves.
std::optional<LampPlace> RescueLamp(const IndicatorRect& lamp, const std::vector<MonitorArea>& monitors);

}  // namespace lumora
