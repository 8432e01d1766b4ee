#include "sampling/registry_access.h"

#include <gtest/gtest.h>

#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::DiskInstance;
using testing::DiskObject;

struct Access {
    testing::FakePerfQuery query;
    testing::FakePerfDisk perfDisk;
    DirectRegistryAccess access{query, perfDisk};
};

std::vector<uint8_t> Disks(uint64_t queue) {
    return perfsource::WriteBlock(
        {DiskObject(234, {DiskInstance(u"0 C:", {queue}), DiskInstance(u"_Total", {queue * 2})})}, queue);
}

TEST(DirectRegistryAccess, GrowsTheSnapshotInStepsOf64KiBUntilTheDataFits) {
    Access a;
    a.query.block = Disks(5);
    a.query.minimumSize = 200000;
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.query.offered, (std::vector<uint32_t>{65536, 131072, 196608, 262144}));
    EXPECT_EQ(a.access.GetCounterValue(234, u"0 ", 1400, testing::kQueueType), 5u);

    a.query.offered.clear();
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.query.offered, std::vector<uint32_t>{262144}) << "the grown buffer is offered whole next time";
}

TEST(DirectRegistryAccess, AFailedQueryLeavesNothingToWalk) {
    const std::pair<uint32_t, size_t> cases[] = {{5, 0}, {0, size_t{1} << 40}};  // an error; always more data
    for (const auto& [failure, minimumSize] : cases) {
        Access a;
        a.query.block = Disks(5);
        ASSERT_TRUE(a.access.Refresh());
        a.query.failure = failure;
        a.query.minimumSize = minimumSize;
        a.query.offered.clear();
        EXPECT_FALSE(a.access.Refresh()) << failure;
        // 64 KiB steps up to 1 MiB, then doubling to the cap: a refresh of a broken source stays cheap.
        EXPECT_LE(a.query.offered.size(), 22u) << failure;
        EXPECT_EQ(a.access.GetCounterValue(234, u"", 1400, testing::kQueueType), 0u) << failure;
        EXPECT_EQ(a.access.GetInstanceCount(234), 0u) << failure;
        EXPECT_EQ(a.access.GetPerfTime100nSec(), 0u) << failure;
        EXPECT_LE(a.access.SnapshotCapacity(), DirectRegistryAccess::kMaxSnapshotSize) << failure;
    }
}

TEST(DirectRegistryAccess, TheCountersSwitchIsKeptOnlyOnceItCouldBeRead) {
    Access a;
    a.perfDisk.disableCounters = 1;
    EXPECT_FALSE(a.access.ArePerformanceCountersDisabled()) << "unreadable: the counters stay on";
    a.perfDisk.readable = true;
    EXPECT_TRUE(a.access.ArePerformanceCountersDisabled()) << "an unreadable switch is asked again";
    a.perfDisk.disableCounters = 0;
    EXPECT_TRUE(a.access.ArePerformanceCountersDisabled()) << "read once, then kept";
    a.access.ForgetCountersSwitch();
    EXPECT_FALSE(a.access.ArePerformanceCountersDisabled()) << "read again once forgotten";
}

// A remembered position is walked for again whenever anything a walk reads, other than values,
// has changed: in particular names and sizes that change nothing in the block's length.
TEST(DirectRegistryAccess, RememberedPositionsFollowTheLayout) {
    Access a;
    const std::u16string drive = u"0";
    CounterQuery query{234, &drive, perf::NameMatch::driveNumber, 1400, testing::kQueueType, 0, {}};
    const std::tuple<std::vector<std::u16string>, uint32_t, bool> steps[] = {  // instances, counter size, new layout
        {{u"0 C:"}, 8, true},        {{u"0 C:"}, 8, false},  // only values changed
        {{u"0 D:"}, 8, true},        {{u"0 D:x"}, 8, true},  // names of the same length in the block
        {{u"0 D:x"}, 4, true},       {{u"1 E:", u"0 D:x"}, 4, true},  // another disk in front
    };
    for (uint64_t step = 1; step <= std::size(steps); ++step) {
        const auto& [names, counterSize, newLayout] = steps[step - 1];
        std::vector<perfsource::PerfInstanceModel> instances;
        for (const auto& name : names) instances.push_back({name, {{1400, testing::kQueueType, counterSize, step}}});
        a.query.block = perfsource::WriteBlock({DiskObject(234, instances)}, 0);
        const uint64_t generation = a.access.LayoutGeneration();
        ASSERT_TRUE(a.access.Refresh());
        EXPECT_EQ(a.access.LayoutGeneration() != generation, newLayout) << "step " << step;
        EXPECT_EQ(a.access.ReadCounter(query), step);
    }
}

}  // namespace
}  // namespace lumora
