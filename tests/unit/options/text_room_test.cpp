#include "options/text_room.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lumora {
namespace {

TEST(TextRoom, ATooNarrowControlGrowsIntoTheRoomBesideItAndTheSmallestFittingWidthIsFound) {
    // The control, the text's width, whether it is centred, the limits beside it, the control after.
    const std::tuple<TextSpan, int32_t, bool, TextSpan, TextSpan> rows[] = {
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
    for (const auto& [control, width, centred, limits, expected] : rows) {
        const TextSpan span = WidenForText(control, width, centred, limits);
        EXPECT_EQ(std::pair(span.left, span.right), std::pair(expected.left, expected.right)) << width << centred;
    }
    // The smallest fitting width is found, or the widest given.
    const int32_t widths[][4] = {  // the narrowest that fits, the range, the width found
        {57, 40, 100, 57}, {40, 40, 100, 40}, {100, 40, 100, 100}, {41, 40, 41, 41},
        {200, 40, 100, 100},  // nothing fits: as wide as allowed
    };
    for (const auto& [threshold, narrowest, widest, expected] : widths) {
        const auto fits = [threshold = threshold](int32_t width) { return width >= threshold; };
        EXPECT_EQ(SmallestFittingWidth(narrowest, widest, fits), expected) << threshold;
    }
}

}  // namespace
}  // namespace lumora
