#include "support/dpi_scale.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(DpiScale, LengthsRoundToTheNearestPixelAsWindowsRoundsThem) {
    const int32_t rows[][3] = {  // length, DPI, scaled
        {1, 120, 1},     // 1.25
        {13, 144, 20},   // 19.5: halves away from zero
        {-13, 144, -20},
        {3, 72, 2},      // 2.25: smaller than at 96 DPI
        {7, 0, 7},       // no DPI known: unchanged
        {30000000, 192, 60000000},  // the product alone would not fit 32 bits
    };
    for (const auto& [length, dpi, scaled] : rows) {
        EXPECT_EQ(ScaleForDpi(length, static_cast<uint32_t>(dpi)), scaled) << length << " at " << dpi;
    }
}

}  // namespace
}  // namespace lumora
