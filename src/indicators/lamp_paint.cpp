#include "indicators/lamp_paint.h"

#include <cmath>

namespace lumora {

LampFill PlanLampFill(ActivityState state, int32_t top, int32_t bottom) {
    const uint32_t read = state >> 16;
    const uint32_t write = state & 0xFFFF;
    if (read == 0 && write == 0) return {LampColour::Idle, LampColour::Idle, bottom};
    if (write == 0) return {LampColour::Read, LampColour::Read, bottom};
    if (read == 0) return {LampColour::Write, LampColour::Write, bottom};
    const double share = static_cast<double>(read) / static_cast<double>(read + write);
    const auto split = static_cast<int32_t>(top + share * (bottom - top));
    return {LampColour::Read, LampColour::Write, split};
}

int32_t SnapToGrid(int32_t delta, int32_t step) { return step > 0 ? delta / step * step : delta; }

uint32_t FlashColour(int32_t remaining) {
    constexpr int32_t kHalfway = kFlashSteps / 2;
    const double t = std::fabs(static_cast<double>(remaining - kHalfway) / kHalfway) * 6.0;
    const auto sector = static_cast<int>(t);
    const double f = t - sector;
    double red = 1, green = 0, blue = 1 - f;
    switch (sector) {
        case 0: red = 1, green = f, blue = 0; break;
        case 1: red = 1 - f, green = 1, blue = 0; break;
        case 2: red = 0, green = 1, blue = f; break;
        case 3: red = 0, green = 1 - f, blue = 1; break;
        case 4: red = f, green = 0, blue = 1; break;
        default: break;
    }
    auto byte = [](double component) { return static_cast<uint32_t>(component * 255) & 0xFF; };
    return byte(red) | (byte(green) << 8) | (byte(blue) << 16);
}

}  // namespace lumora
