#include "sampling/text_format.h"

#include <cmath>
#include <cstdio>

namespace lumora {

std::u16string FixedText(double value) {
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof(buffer), "%3.3f", value);
    std::u16string text;
    if (length > 0) AppendAscii(text, std::string_view(buffer, static_cast<size_t>(length) < sizeof(buffer) ? length : sizeof(buffer) - 1));
    return text;
}

uint32_t SaturateToUint32(double value) {
    if (!(value > 0)) return 0;
    if (value >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(value);
}

int64_t SaturateToInt64(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(value);
}

}  // namespace lumora
