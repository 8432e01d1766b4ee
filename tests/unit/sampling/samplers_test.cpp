#include <gtest/gtest.h>

#include "sampling/counter_sampler.h"
#include "sampling/hard_disk_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

TEST(DigitGrouping, GroupsAsTheLocaleSays) {
    const std::tuple<std::u16string_view, uint64_t, std::u16string> cases[] = {
        {u"3;2;0", 1234567890, u"1,23,45,67,890"}, {u"3", 1234567, u"1234,567"}, {u"0", 1234567, u"1234567"},
        {u"", UINT64_MAX, u"18446744073709551615"},  // all twenty digits
    };
    for (const auto& [grouping, value, expected] : cases) {
        EXPECT_EQ(GroupDigits(value, ParseDigitGrouping(grouping, u",")), expected);
    }
}

struct DriverFixture : ::testing::Test {
    testing::FakeDisks disks;
    testing::FakeText formatter;
    SamplerContext context{nullptr, &disks, &formatter, nullptr};
    DeviceRecord drive = testing::Device(DEVICE_PHYSICAL, u"Physical Drive 0", u"\\\\.\\PHYSICALDRIVE0");

    void Set(const std::u16string& path, uint32_t reads, uint32_t writes, uint32_t queue) {
        DiskPerformance& p = disks.disks[path].performance;
        p.readCount = reads;
        p.writeCount = writes;
        p.queueDepth = queue;
    }
};

TEST_F(DriverFixture, UpdateOrsTheCountDifferencesWithTheQueueDepthAndTheTextKeepsTheBaselineAsAllInOneDoes) {
    CHardDiskIndicatorInfo sampler(context);
    sampler.m_device = &drive;
    sampler.Open();
    EXPECT_EQ(sampler.Update(), 0u) << "a device that cannot be opened is idle";
    Set(drive.path, 4000, 17, 2);
    sampler.Open();
    const uint32_t steps[][4] = {  // reads, writes, queue depth, state
        {4000, 17, 2, 2},          // the first sample compares with itself: the queue alone
        {4005, 17, 2, 7},          // 5 OR 2, not a sum
        {4005, 17, 0, 0}, {4005, 20, 0, 3}, {0xFFFFFFFE, 20, 0, 0xFFFFFFFE - 4005},
        {3, 20, 0, 5},             // a wrapped count gives the true small difference
    };
    for (const auto& s : steps) {
        Set(drive.path, s[0], s[1], s[2]);
        EXPECT_EQ(sampler.Update(), s[3]);
    }
    disks.disks[drive.path].fails = true;
    Set(drive.path, 13, 20, 0);
    EXPECT_EQ(sampler.Update(), 0u) << "a failing driver is idle";
    disks.disks[drive.path].fails = false;
    EXPECT_EQ(sampler.Update(), 10u) << "measured from the last answered sample";

    // The statistics text keeps its spaces and tabs, and leaves the baseline alone.
    drive.description = u"Disk";
    disks.disks[drive.path].performance.bytesRead = 1610612736;
    disks.disks[drive.path].performance.bytesWritten = 524288000;
    Set(drive.path, 17, 20, 0);
    std::u16string text;
    sampler.GetStatisticsText(text);
    EXPECT_EQ(text, u"Physical Drive 0 - Disk\r\n Data Read: 1610612736 B (1,610,612,736) "
                    u"\tData Write: 524288000 B (524,288,000)");
    EXPECT_EQ(sampler.Update(), 4u) << "counted from the last update, not from the text";
    text = u"1.50 GB ";
    EXPECT_EQ(sampler.AppendExactNumber(text, INT64_MIN), u"1.50 GB (-9,223,372,036,854,775,808)");

    // Into a caller's buffer: cut to fit, NUL included, nothing written past it.
    drive.name = std::u16string(3000, u'x');
    std::vector<char16_t> buffer(1024 + 8, u'#');
    ASSERT_TRUE(sampler.WriteStatisticsText(buffer.data(), 1024));
    EXPECT_EQ(std::u16string(buffer.data()), std::u16string(1023, u'x'));
    EXPECT_EQ(std::u16string(buffer.data() + 1024, 8), std::u16string(8, u'#'));
    sampler.Close();

    // All-In-One ORs its physical drives.
    std::vector<DeviceRecord> devices = {testing::Device(DEVICE_PHYSICAL, u"0", u"\\\\.\\PHYSICALDRIVE0"),
                                         testing::Device(DEVICE_PHYSICAL, u"1", u"\\\\.\\PHYSICALDRIVE1")};
    for (auto& device : devices) Set(device.path, 0, 0, 0);
    CAllInOneIndicatorInfo all({nullptr, &disks, &formatter, &devices});
    all.Open();
    EXPECT_EQ(all.Update(), 0u);
    Set(devices[0].path, 1, 0, 0);
    Set(devices[1].path, 0, 3, 0);
    EXPECT_EQ(all.Update(), 3u) << "1 OR 3, not their sum";
    all.m_counterHealth = CounterHealth::broken;
    all.GetStatisticsText(text);
    const std::u16string advice(CounterRepairAdvice(CounterHealth::broken));
    EXPECT_EQ(text.find(advice), text.size() - advice.size()) << "once, after the drives' texts: " << text.size();
    all.Close();
    EXPECT_EQ(disks.openHandles, 0);
}

// A counter sampler over real snapshots: each tick serves a block, refreshes and updates.
struct CounterFixture : ::testing::Test {
    testing::FakePerfQuery query;
    testing::FakePerfDisk perfDisk;
    testing::FakeText formatter;
    DirectRegistryAccess access{query, perfDisk};
    CRegistryAccessIndicator sampler{{&access, nullptr, &formatter, nullptr}};
    DeviceRecord device = testing::Device(DEVICE_LOGICAL, u"C:\\ - System", u"\\\\.\\C:");

    void SetUp() override {
        sampler.m_device = &device;
        sampler.Open();
    }
    ActivityState Tick(uint64_t time, const testing::DiskCounters& counters) {
        const auto instance = testing::DiskInstance(u"C:", counters);
        query.block = perfsource::WriteBlock({testing::DiskObject(236, {instance})}, int64_t(time));
        EXPECT_TRUE(access.Refresh());
        return sampler.Update();
    }
};

TEST_F(CounterFixture, UpdateFollowsTheQueueTimes) {
    const uint64_t steps[][4] = {  // queue, read queue, write queue, state
        {100, 0, 0, 0x00010000},          // first update: the total moved from zero, both halves 0
        {100, 50, 70, 0},                 // total unchanged: idle whatever the parts did
        {170, 50 + 65536, 70 + 131072, 0x00010000},  // both growths multiples of 65,536
        {180, 50 + 65536 + 7, 70 + 131072 + 0x10009, 0x00070009},  // each growth cut to 16 bits
    };
    for (const auto& s : steps) {
        EXPECT_EQ(Tick(0, {s[0], 0, 0, 0, 0, s[1], s[2]}), s[3]) << "queue " << s[0];
    }
}

TEST_F(CounterFixture, StatisticsDescribeTheLastWholeSecond) {
    std::u16string text;
    sampler.GetStatisticsText(text);
    EXPECT_EQ(text, u"C:\\ - System\r\nRead: 0 B (0) \tWrite: 0 B (0)\r\nRate KB/sec: 0 KB      \t\tRate KB/sec: 0 KB"
                    u"\r\nRequests/sec: 0       \t\tRequests/sec: 0\r\nQueue length/sec: 0.000 \t\tQueue length/sec: 0.000")
        << "before any update: divided by 1, all zeros";

    const uint64_t t0 = 50'000'000;
    Tick(t0, {1, 1000, 2000, 10, 20, 0, 0});  // the first interval starts at t0 (measured from time 0)
    Tick(t0 + 5'000'000, {2, 1024 * 1000, 2048 * 1000, 99, 99, 7, 7});  // half a second later: no new interval
    Tick(t0 + 20'000'000, {3, 2048 * 1000, 4096 * 1000, 30, 60, 5'000'000, 10'000'000});  // the interval t0..t0+2 s
    sampler.GetStatisticsText(text);
    EXPECT_EQ(text, u"C:\\ - System\r\nRead: 2048000 B (2,048,000) \tWrite: 4096000 B (4,096,000)"
                    u"\r\nRate KB/sec: 999 KB      \t\tRate KB/sec: 1999 KB\r\nRequests/sec: 10       \t\tRequests/sec: 20"
                    u"\r\nQueue length/sec: 0.250 \t\tQueue length/sec: 0.500");

    // 32-bit request counters that wrap. A physical drive's first line with its description is
    // the lamps end-to-end test's tooltip.
    Tick(t0 + 40'000'000, {4, 0, 0, 0, 0});
    sampler.GetStatisticsText(text);
    EXPECT_NE(text.find(u"Requests/sec: 4294967295 "), std::u16string::npos) << "saturated, not undefined";
}

}  // namespace
}  // namespace lumora
