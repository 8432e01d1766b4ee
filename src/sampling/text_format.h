#pragma once
// Small pieces for building the statistics texts in UTF-16 without a locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

void AppendAscii(std::u16string& text, std::string_view ascii);
std::u16string DecimalText(uint64_t value);
// printf's "%3.3f" in the "C" locale.
std::u16string FixedText(double value);

// Conversions that the statistics texts need for figures of any size: out-of-range and
// not-a-number results saturate instead of being undefined.
uint32_t SaturateToUint32(double value);
int64_t SaturateToInt64(double value);

}  // namespace lumora
