#pragma once
// Small pieces for building the statistics texts in UTF-16 without a locale.

#include <cstdint>
#include <string>
#include <string_view>

#include "support/utf16_text.h"

namespace lumora {

// printf's "%3.3f" in the "C" locale.
std::u16string FixedText(double value);

// Conversions that the statistics texts need for figures of any size: out-of-range and
// not-a-number results saturate instead of being undefined.
uint32_t SaturateToUint32(double value);
int64_t SaturateToInt64(double value);

}  // namespace lumora
