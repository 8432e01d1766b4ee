#include "support/utf16_text.h"

namespace lumora {

void AppendAscii(std::u16string& text, std::string_view ascii) {
    for (char c : ascii) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

std::u16string DecimalText(uint64_t value) {
    char16_t digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value);
    std::u16string text;
    while (count) text.push_back(digits[--count]);
    return text;
}

std::u16string SignedDecimalText(int64_t value) {
    // The magnitude is taken in unsigned arithmetic, where the most negative value has one too.
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    // The sign is put in place of building "-" + digits: GCC 12 at -O3 sees a false overlap
    // (-Wrestrict) in libstdc++'s operator+ for a literal and a temporary.
    std::u16string text = DecimalText(magnitude);
    if (value < 0) text.insert(text.begin(), u'-');
    return text;
}

}  // namespace lumora
