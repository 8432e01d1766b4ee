#include "support/utf16_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace lumora {
namespace {

// The ends of the range (the samplers' and the settings' tests see the everyday values): twenty
// digits, and the one negative value whose magnitude does not fit its own type.
TEST(Utf16Text, DecimalTextsOfTheWholeRange) {
    EXPECT_EQ(DecimalText(std::numeric_limits<uint64_t>::max()), u"18446744073709551615");
    EXPECT_EQ(SignedDecimalText(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
}

}  // namespace
}  // namespace lumora
