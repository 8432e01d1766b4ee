#include "options/text_room.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(TextRoom, ATooNarrowControlGrowsIntoTheRoomBesideIt) {
    const struct {
        TextSpan control;
        int32_t width;
        bool centred;
        TextSpan limits;
        TextSpan expected;
    } rows[] = {
        {{10, 50}, 40, false, {4, 100}, {10, 50}},  // wide enough already
        {{10, 50}, 30, true, {4, 100}, {10, 50}},   // never narrower
        {{10, 50}, 47, false, {4, 100}, {10, 57}},  // left-aligned text grows to the right only
        {{10, 50}, 120, false, {4, 100}, {10, 100}},
        {{10, 50}, 46, true, {4, 100}, {7, 53}},    // centred text grows on both sides
        {{10, 50}, 47, true, {4, 100}, {7, 54}},
        {{10, 50}, 50, true, {8, 100}, {8, 58}},    // what the left cannot take goes right
        {{10, 50}, 50, true, {4, 53}, {4, 53}},     // and the other way round, as far as both go
        {{10, 98}, 100, false, {4, 96}, {10, 98}},  // already past a neighbour: it stays
    };
    for (const auto& row : rows) {
        const TextSpan span = WidenForText(row.control, row.width, row.centred, row.limits);
        EXPECT_EQ(span.left, row.expected.left) << row.width << (row.centred ? " centred" : "");
        EXPECT_EQ(span.right, row.expected.right) << row.width << (row.centred ? " centred" : "");
    }
}

TEST(TextRoom, TheSmallestFittingWidthIsFoundOrTheWidestGiven) {
    const struct {
        int32_t threshold, narrowest, widest, expected;
    } rows[] = {
        {57, 40, 100, 57}, {40, 40, 100, 40}, {100, 40, 100, 100}, {41, 40, 41, 41},
        {200, 40, 100, 100},  // nothing fits: as wide as allowed
    };
    for (const auto& row : rows) {
        const int32_t found =
            SmallestFittingWidth(row.narrowest, row.widest, [&](int32_t width) { return width >= row.threshold; });
        EXPECT_EQ(found, row.expected) << row.threshold;
    }
}

}  // namespace
}  // namespace lumora
