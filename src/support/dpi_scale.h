#pragma once
// Lengths chosen for a 96-DPI screen, grown for the DPI of the monitor that shows them.

#include <cstdint>

namespace lumora {

inline constexpr uint32_t kDefaultDpi = 96;

// Rounded to the nearest pixel with halves away from zero, as MulDiv rounds, so that a length
// computed here agrees with one that Windows scales itself. A DPI of 0 (a lookup that failed)
// leaves the length as it is.
constexpr int32_t ScaleForDpi(int32_t length, uint32_t dpi) {
    if (dpi == 0) return length;
    const int64_t product = static_cast<int64_t>(length) * dpi;
    const int64_t half = kDefaultDpi / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / kDefaultDpi : (product - half) / kDefaultDpi);
}

}  // namespace lumora
