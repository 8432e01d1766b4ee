#include "support/utf16_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace lumora {
namespace {

TEST(Utf16Text, DecimalTextsOfTheWholeRange) {
    EXPECT_EQ(DecimalText(0), u"0");
    EXPECT_EQ(DecimalText(std::numeric_limits<uint64_t>::max()), u"18446744073709551615");
    EXPECT_EQ(SignedDecimalText(-42), u"-42");
    EXPECT_EQ(SignedDecimalText(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
    EXPECT_EQ(SignedDecimalText(std::numeric_limits<int32_t>::max()), u"2147483647");
}

TEST(Utf16Text, SingleByteTextKeepsEveryByteAsItsCodePoint) {
    std::u16string text = u"x";
    AppendAscii(text, std::string_view("a\0\xE9\xFF", 4));
    EXPECT_EQ(text, (std::u16string{u'x', u'a', 0, 0xE9, 0xFF}));
}

}  // namespace
}  // namespace lumora
