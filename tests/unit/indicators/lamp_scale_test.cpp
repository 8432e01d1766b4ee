#include "indicators/lamp_scale.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(LampScale, MeasuresGrowWithTheDpiFromTheirSizesAt96) {
    const struct {
        uint32_t dpi;
        LampMeasures expected;  // width, height, label height, label indent, grid step, tooltip width
    } rows[] = {
        {96, {16, 12, 12, 1, 8, 1000}},
        {120, {20, 15, 15, 1, 10, 1250}},
        {144, {24, 18, 18, 2, 12, 1500}},
        {168, {28, 21, 21, 2, 14, 1750}},
        {192, {32, 24, 24, 2, 16, 2000}},
        // A DPI that could not be found out: the lamp keeps its sizes at 96 DPI rather than vanish.
        {0, {16, 12, 12, 1, 8, 1000}},
    };
    for (const auto& row : rows) {
        const LampMeasures measures = LampMeasuresAt(row.dpi);
        const LampMeasures& expected = row.expected;
        EXPECT_EQ(measures.width, expected.width) << row.dpi;
        EXPECT_EQ(measures.height, expected.height) << row.dpi;
        EXPECT_EQ(measures.labelHeight, expected.labelHeight) << row.dpi;
        EXPECT_EQ(measures.labelIndent, expected.labelIndent) << row.dpi;
        EXPECT_EQ(measures.gridStep, expected.gridStep) << row.dpi;
        EXPECT_EQ(measures.tipWidth, expected.tipWidth) << row.dpi;
    }
}

uint32_t g_primaryDpi = 0;
uint32_t PrimaryDpi() { return g_primaryDpi; }

TEST(LampScale, NewLampsStandInARowTwoPixelsApartAtThePrimaryMonitorsDpi) {
    const struct {
        bool query;
        uint32_t primaryDpi;
        size_t place;
        int32_t x;
    } rows[] = {
        {false, 0, 0, 2}, {false, 0, 3, 56},  // no query (the unit tests): 96 DPI, 2 + 18 x place
        {true, 96, 3, 56},
        {true, 144, 1, 28}, {true, 144, 3, 80},
        {true, 192, 2, 70},
        {true, 0, 3, 56},  // a query that fails counts as 96 DPI
    };
    for (const auto& row : rows) {
        g_primaryDpi = row.primaryDpi;
        SetStartDpiQuery(row.query ? PrimaryDpi : nullptr);
        EXPECT_EQ(LampStartX(row.place), row.x) << row.primaryDpi << " place " << row.place;
    }
    SetStartDpiQuery(nullptr);
}

}  // namespace
}  // namespace lumora
