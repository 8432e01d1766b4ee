#include "indicators/lamp_scale.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lumora {
namespace {

uint32_t g_primaryDpi = 0;
uint32_t PrimaryDpi() { return g_primaryDpi; }

TEST(LampScale, MeasuresAreTheirSizesAt96RoundedAtOtherDpisAndNewLampsStandInARow) {
    const std::pair<uint32_t, std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>> rows[] = {
        // width, height, label height, label indent, grid step, tooltip width
        {96, {16, 12, 12, 1, 8, 1000}},
        {144, {24, 18, 18, 2, 12, 1500}},  // the indent of 1.5 rounds up
        {0, {16, 12, 12, 1, 8, 1000}},     // a DPI that could not be found out: not a vanished lamp
    };
    for (const auto& [dpi, expected] : rows) {
        const LampMeasures m = LampMeasuresAt(dpi);
        EXPECT_EQ(std::tuple(m.width, m.height, m.labelHeight, m.labelIndent, m.gridStep, m.tipWidth), expected) << dpi;
    }
    // New lamps stand in a row two pixels apart, at the primary monitor's DPI.
    const std::tuple<bool, uint32_t, size_t, int32_t> places[] = {  // query, primary DPI, place, x
        {false, 0, 0, 2}, {false, 0, 3, 56},                      // no query (the unit tests): 96 DPI
        {true, 144, 3, 80}, {true, 0, 3, 56},                     // a query that fails counts as 96 DPI
    };
    for (const auto& [query, primaryDpi, place, x] : places) {
        g_primaryDpi = primaryDpi;
        SetStartDpiQuery(query ? PrimaryDpi : nullptr);
        EXPECT_EQ(LampStartPlace(place).x, x) << primaryDpi << " place " << place;
    }
    SetStartDpiQuery(nullptr);
}

}  // namespace
}  // namespace lumora
