#include "indicators/lamp_paint.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

using C = LampColour;

TEST(LampFill, EachStatePaintsItsColoursWithTheSplitInProportion) {
    struct Row {
        ActivityState state;
        int32_t top, bottom;
        LampFill expected;
    } rows[] = {
        {0, 0, 12, {C::Idle, C::Idle, 12}},
        {0x00010000, 0, 12, {C::Read, C::Read, 12}},
        {0xFFFF0000, 0, 12, {C::Read, C::Read, 12}},
        {0x00000001, 0, 12, {C::Write, C::Write, 12}},
        {0x0000FFFF, 0, 12, {C::Write, C::Write, 12}},
        // Three quarters reading: the write part takes the lowest quarter.
        {0x00030001, 0, 12, {C::Read, C::Write, 9}},
        {0x00010001, 0, 12, {C::Read, C::Write, 6}},
        // 2 / 3 of 12 is 8 exactly only in exact arithmetic; truncation must not give 7.
        {0x00020001, 0, 12, {C::Read, C::Write, 8}},
        // 1 / 3 of 16 is 5.33: truncated toward the top; the split counts from the rectangle's top.
        {0x00010002, 4, 20, {C::Read, C::Write, 9}},
        // The largest halves must not overflow their sum.
        {0xFFFFFFFF, 0, 12, {C::Read, C::Write, 6}},
    };
    for (const Row& row : rows) {
        const LampFill fill = PlanLampFill(row.state, row.top, row.bottom);
        EXPECT_EQ(fill.upper, row.expected.upper) << std::hex << row.state;
        EXPECT_EQ(fill.lower, row.expected.lower) << std::hex << row.state;
        EXPECT_EQ(fill.split, row.expected.split) << std::hex << row.state;
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

TEST(LampFlash, ColoursRunRoundTheHueCircleAndMeetAtRed) {
    const struct {
        int32_t remaining;
        uint32_t colour;  // 0x00BBGGRR
    } rows[] = {
        {50, 0x0000FF},   // red in the middle of the flash
        {0, 0xFF00FF},    // magenta at both ends of the circle
        {100, 0xFF00FF},
        {99, 0x1E00FF},   // first step: magenta-red
        {51, 0x001EFF},   // just before red, on the other side of it: orange-red
        {75, 0xFFFF00},   // cyan
        {25, 0xFFFF00},   // the second half runs the same way forwards
        {60, 0x00FFCB},   // yellow-green: 1.2 sectors, red just under 0.8 truncated
        {40, 0x00FFCB},
        {65, 0x00FF33},   // green with a little red
        {85, 0xFF0032},   // blue with a little red
    };
    for (const auto& row : rows) EXPECT_EQ(FlashColour(row.remaining), row.colour) << row.remaining;
}

}  // namespace
}  // namespace lumora
