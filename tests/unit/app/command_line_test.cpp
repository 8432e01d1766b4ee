#include "app/command_line.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(SilentStart, AnyLowerCaseSAnywhereCountsAndNothingElse) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"s", true}, {u"-silent", true}, {u"C:\\Users\\x\\lumora.exe", true},
        {std::u16string_view(u"/\0s", 3), true},  // looked for past an embedded NUL
        {u"", false}, {u"S", false},      {u"/quiet", false},
    };
    for (const auto& [line, silent] : cases) {
        EXPECT_EQ(IsSilentStartRequested(line), silent) << std::string(line.begin(), line.end());
    }
}

}  // namespace
}  // namespace lumora
