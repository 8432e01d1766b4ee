#pragma once
// A lamp's measures at the DPI of the monitor it is on. They were chosen for 96 DPI (16 x 12
// pixels, a 12-pixel label one pixel from the left edge, a drag grid of 8) and grow with the
// DPI, so that a lamp looks the same on every monitor. Positions stay in screen pixels.

#include <cstddef>
#include <cstdint>

#include "support/lamp_place.h"

namespace lumora {

struct LampMeasures {
    int32_t width = 0;
    int32_t height = 0;
    int32_t labelHeight = 0;  // the label font's cell height
    int32_t labelIndent = 0;
    int32_t gridStep = 0;     // a drag with Ctrl moves in whole steps of this
    int32_t tipWidth = 0;     // wide enough that the statistics break only at their own line ends
};

LampMeasures LampMeasuresAt(uint32_t dpi);

// New lamps are laid out for the primary monitor, where they start. The Win32 side installs the
// query for its DPI; without one (the unit tests) lamps start at 96 DPI.
void SetStartDpiQuery(uint32_t (*query)());
uint32_t LampStartDpi();

// Where the new lamp of device `place` starts: the row of lamp_place.h, as "Where are my
// indicators?" lines the lamps up, with every lamp before it as wide as a lamp at that DPI.
LampPlace LampStartPlace(size_t place);

}  // namespace lumora
