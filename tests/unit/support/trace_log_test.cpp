#include "support/trace_log.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(TraceLog, SwitchedOffWritesNothingAndFunctionLogStillSucceeds) {
    TraceLog trace;
    trace.Trace(u"Starting instance.");
    trace.TraceValue(42);
    EXPECT_FALSE(trace.IsOpen());

    FunctionLog log;
    EXPECT_FALSE(log.HasDestination());
    EXPECT_TRUE(log.LogEnter(u"CreatePath"));
    EXPECT_TRUE(log.LogFailed(u"CreatePath"));
    EXPECT_TRUE(log.LogValue(0xdeadbeef));

    // The program's own channels never get an output.
    EXPECT_FALSE(g_trace.IsOpen());
    EXPECT_FALSE(g_log.HasDestination());
}

TEST(TraceLog, AssemblesLinesFromPartsValuesAndText) {
    std::u16string written;
    TraceLog trace;
    trace.AttachSink([&](std::u16string_view text) { written += text; });
    trace.Trace(u"EnumDrives");
    trace.TracePart(u"Enumed instance: ");
    trace.Trace(u"0 C:");
    trace.TracePart(u"registerClassEx atom = ");
    trace.TraceValue(49321);
    trace.TraceText("\n");
    EXPECT_EQ(written, u"EnumDrives\r\nEnumed instance: 0 C:\r\nregisterClassEx atom = 49321\n");
}

TEST(FunctionLog, FormatsEachEntryWhenGivenAFolder) {
    std::u16string written;
    FunctionLog log;
    log.SetDestination(u"C:\\logs", u"log.txt", [&](std::u16string_view text) { written += text; });
    log.LogEnter(u"CopyFile");
    log.LogValue(0x1A);
    log.LogFailed(u"CopyFile");
    log.LogExit(u"CopyFile");
    log.LogText(u"as is");
    EXPECT_EQ(written, u"entering CopyFile\n0000001a\nCopyFile failed\nexiting CopyFile\nas is");

    log.SetDestination(u"", u"log.txt", [&](std::u16string_view text) { written += text; });
    written.clear();
    log.LogEnter(u"CopyFile");
    EXPECT_EQ(written, u"") << "an empty folder means no destination";
}

}  // namespace
}  // namespace lumora
