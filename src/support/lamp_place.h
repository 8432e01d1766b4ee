#pragma once
// A lamp window's place on the screen, and the row that lamps stand in when nobody has placed
// them: new lamps, and every shown lamp after "Where are my indicators?". The row runs along
// the top edge from (2, 2), each lamp two pixels after the one before, so that no lamp covers
// another whatever their widths and the user finds all of them at the top-left corner.

#include <cstddef>
#include <cstdint>

namespace lumora {

// The top-left corner of a lamp's window, in screen pixels.
struct LampPlace {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const LampPlace& other) const { return x == other.x && y == other.y; }
};

// The place in the row of the lamp that follows `lampsBefore` lamps, `widthsBefore` pixels wide
// together.
constexpr LampPlace PlaceInLampRow(size_t lampsBefore, int32_t widthsBefore) {
    constexpr int32_t kCorner = 2;
    constexpr int32_t kGap = 2;
    return {kCorner + widthsBefore + static_cast<int32_t>(lampsBefore) * kGap, kCorner};
}

}  // namespace lumora
