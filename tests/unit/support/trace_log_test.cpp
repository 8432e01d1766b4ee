#include "support/trace_log.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

// Both channels stay switched off in the program: calls without an output must still work and
// write nothing; an output attached while debugging gets exactly these lines.
TEST(TraceLog, AssemblesLinesFromPartsValuesAndTextOnceItHasASink) {
    std::u16string written;
    TraceLog trace;
    for (bool attached : {false, true}) {
        if (attached) trace.AttachSink([&](std::u16string_view text) { written += text; });
        trace.Trace(u"EnumDrives");
        trace.TracePart(u"Enumed instance: ");
        trace.Trace(u"0 C:");
        trace.TracePart(u"registerClassEx atom = ");
        trace.TraceValue(49321);
        trace.TraceText("\n");
    }
    EXPECT_EQ(written, u"EnumDrives\r\nEnumed instance: 0 C:\r\nregisterClassEx atom = 49321\n");
}

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
