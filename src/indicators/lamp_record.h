#pragma once
// The part of an indicator record that its lamp window reads and writes. The shell's record
// (one per device) builds on it, so that the lamps need nothing from the shell above them.

#include <cstdint>
#include <memory>

#include "sampling/sampler.h"

namespace lumora {

struct IndicatorRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
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
    int32_t m_flashCountdown = 100;  // every new lamp flashes once so that the user finds it
    int32_t m_pulse = 0;
    IndicatorRect m_savedRect;
    uint32_t m_flashColour = 0;
    // Its m_device leads to the device's window and label.
    std::unique_ptr<__performance_data> m_sampler;
};

}  // namespace lumora
