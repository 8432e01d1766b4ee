#include "sampling/registry_access.h"

#include <gtest/gtest.h>

#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::DiskCounters;
using testing::DiskInstance;
using testing::DiskObject;
using testing::FakePerfDisk;
using testing::FakePerfQuery;

struct Access {
    FakePerfQuery query;
    FakePerfDisk perfDisk;
    DirectRegistryAccess access{query, perfDisk};
};

std::vector<uint8_t> Disks(uint64_t queue, std::u16string name = u"0 C:") {
    return perfsource::WriteBlock({DiskObject(234, {DiskInstance(std::move(name), {queue}),
                                                    DiskInstance(u"_Total", {queue * 2})})},
                                  queue);
}

TEST(DirectRegistryAccess, GrowsTheSnapshotInStepsOf64KiBUntilTheDataFits) {
    Access a;
    a.query.block = Disks(5);
    a.query.minimumSize = 200000;
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.query.offered, (std::vector<uint32_t>{65536, 131072, 196608, 262144}));
    EXPECT_EQ(a.access.SnapshotCapacity(), 262144u);
    EXPECT_EQ(a.access.GetCounterValue(234, u"0 ", 1400, testing::kQueueType), 5u);

    // The buffer is kept: the next tick offers it whole and allocates nothing.
    a.query.offered.clear();
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.query.offered, std::vector<uint32_t>{262144});
}

TEST(DirectRegistryAccess, AFailedQueryLeavesNothingToWalk) {
    struct Case {
        const char* what;
        uint32_t failure;
        size_t minimumSize;
    };
    const Case cases[] = {
        {"an error other than more data", 5, 0},
        {"a source that always wants more", 0, size_t{1} << 40},
    };
    for (const Case& c : cases) {
        Access a;
        a.query.block = Disks(5);
        ASSERT_TRUE(a.access.Refresh()) << c.what;
        a.query.failure = c.failure;
        a.query.minimumSize = c.minimumSize;
        EXPECT_FALSE(a.access.Refresh()) << c.what;
        EXPECT_EQ(a.access.GetCounterValue(234, u"", 1400, testing::kQueueType), 0u) << c.what;
        EXPECT_EQ(a.access.GetInstanceCount(234), 0u) << c.what;
        EXPECT_EQ(a.access.GetPerfTime100nSec(), 0u) << c.what;
        EXPECT_LE(a.access.SnapshotCapacity(), DirectRegistryAccess::kMaxSnapshotSize) << c.what;

        a.query.failure = 0;
        a.query.minimumSize = 0;
        EXPECT_TRUE(a.access.Refresh()) << c.what << ": the next tick tries again";
        EXPECT_EQ(a.access.GetInstanceCount(234), 2u) << c.what;
    }
    Access neverRead;
    EXPECT_EQ(neverRead.access.GetInstanceCount(234), 0u);
    EXPECT_TRUE(neverRead.access.Release());
}

TEST(DirectRegistryAccess, RememberedPositionsFollowTheLayout) {
    Access a;
    const std::u16string name = u"0";
    CounterQuery query;
    query.objectIndex = 234;
    query.instanceName = &name;
    query.match = perf::NameMatch::driveNumber;
    query.counterIndex = 1400;
    query.counterType = testing::kQueueType;

    EXPECT_EQ(a.access.ReadCounter(query), 0u) << "no snapshot yet";
    a.query.block = Disks(10);
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.access.ReadCounter(query), 10u);
    const uint64_t generation = a.access.LayoutGeneration();

    a.query.block = Disks(11);
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_EQ(a.access.LayoutGeneration(), generation) << "only values changed";
    EXPECT_EQ(a.access.ReadCounter(query), 11u);

    // Another disk in front: the same drive is now found elsewhere.
    a.query.block = perfsource::WriteBlock(
        {DiskObject(234, {DiskInstance(u"1 D:", {7}), DiskInstance(u"0 C:", {12}), DiskInstance(u"_Total", {19})})}, 0);
    ASSERT_TRUE(a.access.Refresh());
    EXPECT_NE(a.access.LayoutGeneration(), generation);
    EXPECT_EQ(a.access.ReadCounter(query), 12u);
}

TEST(DirectRegistryAccess, KeepsTheCountersSwitchOnlyOnceItWasRead) {
    Access a;
    EXPECT_FALSE(a.access.ArePerformanceCountersDisabled());
    EXPECT_FALSE(a.access.ArePerformanceCountersDisabled());
    EXPECT_EQ(a.perfDisk.reads, 2) << "a missing value is asked again";
    a.perfDisk.readable = true;
    a.perfDisk.disableCounters = 1;
    EXPECT_TRUE(a.access.ArePerformanceCountersDisabled());
    a.perfDisk.disableCounters = 0;
    EXPECT_TRUE(a.access.ArePerformanceCountersDisabled());
    EXPECT_EQ(a.perfDisk.reads, 3);
}

}  // namespace
}  // namespace lumora
