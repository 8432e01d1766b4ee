#include "indicators/lamp_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>

namespace lumora {
namespace {

using C = LampColour;

TEST(LampFill, EachStatePaintsItsColoursWithTheSplitInProportion) {
    const std::tuple<ActivityState, int32_t, int32_t, std::tuple<C, C, int32_t>> rows[] = {  // state, top, bottom, fill
        // Idle, only reading, only writing and 3 to 1 are the lamps and DPI end-to-end tests' colours.
        {0x00010001, 0, 12, {C::Read, C::Write, 6}},
        // 2 / 3 of 12 is 8 exactly only in exact arithmetic; truncation must not give 7.
        {0x00020001, 0, 12, {C::Read, C::Write, 8}},
        // 1 / 3 of 16 is 5.33: truncated toward the top; the split counts from the rectangle's top.
        {0x00010002, 4, 20, {C::Read, C::Write, 9}},
        // The largest halves must not overflow their sum.
        {0xFFFFFFFF, 0, 12, {C::Read, C::Write, 6}},
    };
    for (const auto& [state, top, bottom, expected] : rows) {
        const LampFill fill = PlanLampFill(state, top, bottom);
        EXPECT_EQ(std::tuple(fill.upper, fill.lower, fill.split), expected) << std::hex << state;
    }
}

TEST(LampDrag, CtrlSnapsTowardZeroInWholeSteps) {
    const int32_t rows[][3] = {
        // delta, step, snapped
        {0, 8, 0}, {7, 8, 0}, {8, 8, 8}, {13, 8, 8}, {16, 8, 16}, {-7, 8, 0}, {-8, 8, -8}, {-13, 8, -8}, {-17, 8, -16},
        // The step of a lamp at 144 DPI.
        {11, 12, 0}, {13, 12, 12}, {-25, 12, -24},
    };
    for (const auto& row : rows) EXPECT_EQ(SnapToGrid(row[0], row[1]), row[2]) << row[0] << " by " << row[1];
}

// The hue of a saturated colour (0x00BBGGRR) in degrees, 0 for red, rising through yellow, green and blue.
double Hue(uint32_t colour) {
    const double red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    const double high = std::max({red, green, blue}), range = high - std::min({red, green, blue});
    const double hue = high == red     ? 60 * (green - blue) / range
                       : high == green ? 120 + 60 * (blue - red) / range
                                       : 240 + 60 * (red - green) / range;
    return hue < 0 ? hue + 360 : hue;
}

// Over the steps a user sees (99 down to 1; the brushes are restored within step 0) the lamp runs
// backwards round the whole hue circle to red half-way and forwards again, in fully saturated
// colours and without a jump anywhere.
TEST(LampFlash, RunsSmoothlyRoundTheHueCircleToRedHalfWayAndBack) {
    EXPECT_EQ(FlashColour(50), 0x0000FFu);
    double previousHue = Hue(FlashColour(50));
    for (int32_t remaining = 1; remaining <= 99; ++remaining) {
        SCOPED_TRACE(remaining);
        const uint32_t colour = FlashColour(remaining);
        const uint32_t channels[] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
        EXPECT_EQ(*std::max_element(std::begin(channels), std::end(channels)), 255u);
        EXPECT_EQ(*std::min_element(std::begin(channels), std::end(channels)), 0u);
        EXPECT_EQ(colour, FlashColour(100 - remaining)) << "both halves run the same way";
        if (remaining > 50) {
            const double hue = Hue(colour);
            EXPECT_GT(hue, previousHue) << "the hue keeps its direction";
            EXPECT_LT(hue - previousHue, 10) << "no jump: the channels are saturated, so the hue alone says";
            previousHue = hue;
        }
    }
    EXPECT_GT(previousHue, 340) << "round the whole circle, from a magenta-red";
}

}  // namespace
}  // namespace lumora
