#include "app/command_line.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(SilentStart, AnyLowerCaseSAnywhereCounts) {
    for (const char16_t* line : {u"s", u"/s", u"-silent", u"C:\\Users\\x\\lumora.exe", u"  s  "}) {
        EXPECT_TRUE(IsSilentStartRequested(line)) << std::u16string(line).size();
    }
}

TEST(SilentStart, OtherCommandLinesOpenTheOptionsWindow) {
    for (const char16_t* line : {u"", u"S", u"/S", u"/quiet", u"-x 12"}) {
        EXPECT_FALSE(IsSilentStartRequested(line)) << std::u16string(line).size();
    }
}

TEST(SilentStart, LooksPastEmbeddedNul) {
    const char16_t line[] = {u'/', u'\0', u's'};
    EXPECT_TRUE(IsSilentStartRequested(std::u16string_view(line, 3)));
}

}  // namespace
}  // namespace lumora
