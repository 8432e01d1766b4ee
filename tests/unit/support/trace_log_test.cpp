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

TEST(FunctionLog, FormatsEachEntryOnlyWhenGivenAFolder) {
    std::u16string written;
    FunctionLog log;
    for (const char16_t* folder : {u"", u"C:\\logs"}) {  // an empty folder, as in the program: no destination
        log.SetDestination(folder, u"log.txt", [&](std::u16string_view text) { written += text; });
        log.LogEnter(u"CopyFile");
        log.LogValue(0x1A);
        log.LogFailed(u"CopyFile");
        log.LogExit(u"CopyFile");
        log.LogText(u"as is");
    }
    EXPECT_EQ(written, u"entering CopyFile\n0000001a\nCopyFile failed\nexiting CopyFile\nas is");
}

}  // namespace
}  // namespace lumora
