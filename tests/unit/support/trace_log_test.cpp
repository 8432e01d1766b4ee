#include "support/trace_log.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

// Entering, exiting, a value and a text as is are settings_check.exe's, on the file helpers' log.
TEST(FunctionLog, FormatsEachEntryOnlyWhenGivenAFolder) {
    std::u16string written;
    FunctionLog log;
    for (const char16_t* folder : {u"", u"C:\\logs"}) {  // an empty folder, as in the program: no destination
        log.SetDestination(folder, u"log.txt", [&](std::u16string_view text) { written += text; });
        log.LogFailed(u"CopyFile");
        log.LogValue(0x1A);
    }
    EXPECT_EQ(written, u"CopyFile failed\n0000001a\n");
}

}  // namespace
}  // namespace lumora
