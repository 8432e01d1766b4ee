#pragma once
// The part of an indicator record that its lamp window reads and writes. The shell's record
// (one per device) builds on it, so that the lamps need nothing from the shell above them.

#include <cstdint>
#include <memory>

#include "indicators/lamp_paint.h"
#include "sampling/sampler.h"

namespace lumora {

struct IndicatorRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Everything a lamp's paint depends on. A tick whose look equals the last one painted paints
// nothing: under Wine each repaint costs server round trips and an upload to the X server.
struct LampLook {
    LampFill fill;
    uint32_t brushGeneration = 0;  // changes whenever the shared brushes are made anew
    bool label = false;

    bool operator==(const LampLook& other) const {
        return fill.upper == other.fill.upper && fill.lower == other.fill.lower && fill.split == other.fill.split &&
               brushGeneration == other.brushGeneration && label == other.label;
    }
};

class LampRecord {
public:
    LampRecord() = default;
    virtual ~LampRecord() = default;
    LampRecord(const LampRecord&) = delete;
    LampRecord& operator=(const LampRecord&) = delete;

    int32_t m_x = 0;  // screen position of the window's left edge
    int32_t m_y = 0;
    bool m_visible = true;  // the user's enable flag: no window without it
    WindowRef m_hWndTooltip = nullptr;
    int32_t m_flashCountdown = kFlashSteps;  // every new lamp flashes once so that the user finds it
    int32_t m_pulse = 0;
    IndicatorRect m_savedRect;
    uint32_t m_flashColour = 0;
    LampLook m_paintedLook;
    bool m_painted = false;
    // Its m_device leads to the device's window and label.
    std::unique_ptr<__performance_data> m_sampler;
};

}  // namespace lumora
