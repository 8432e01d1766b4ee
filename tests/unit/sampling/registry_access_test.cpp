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
        EXPECT_EQ(std::tuple(a.access.GetCounterValue(234, u"", 1400, testing::kQueueType),
                             a.access.GetInstanceCount(234), a.access.GetPerfTime100nSec()),
                  std::tuple(0u, 0u, 0u))
            << failure;
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
    EXPECT_TRUE(a.access.ArePerformanceCountersDisabled()) << "read once, then kept (until forgotten)";
}

// Remembered positions stay while only values change. That any other change (names of the same
// length too) is walked for again, the performance snapshot fuzzer checks on every pair of blocks.
TEST(DirectRegistryAccess, OnlyValuesChangedKeepsTheRememberedPositions) {
    Access a;
    const std::u16string drive = u"0";
    CounterQuery query{234, &drive, perf::NameMatch::driveNumber, 1400, testing::kQueueType, 0, {}};
    for (uint64_t queue : {1, 2}) {
        a.query.block = Disks(queue);
        const uint64_t generation = a.access.LayoutGeneration();
        ASSERT_TRUE(a.access.Refresh());
        EXPECT_EQ(a.access.LayoutGeneration() != generation, queue == 1) << queue;
        EXPECT_EQ(a.access.ReadCounter(query), queue);
    }
}

}  // namespace
}  // namespace lumora
