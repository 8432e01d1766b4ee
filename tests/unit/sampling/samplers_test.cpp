#include <gtest/gtest.h>

#include "sampling/counter_sampler.h"
#include "sampling/hard_disk_sampler.h"
#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::DiskCounters;
using testing::DiskInstance;
using testing::DiskObject;
using testing::FakeDisks;
using testing::FakePerfDisk;
using testing::FakePerfQuery;
using testing::FakeText;

DeviceRecord Device(std::u16string path, std::u16string name, uint32_t kind) {
    DeviceRecord record;
    record.path = std::move(path);
    record.name = std::move(name);
    record.kind = kind;
    return record;
}

TEST(DigitGrouping, GroupsAsTheLocaleSays) {
    struct Case {
        std::u16string_view grouping;
        uint64_t value;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"3;0", 1610612736, u"1,610,612,736"}, {u"3;0", 0, u"0"},           {u"3;0", 999, u"999"},
        {u"3;2;0", 1234567890, u"1,23,45,67,890"}, {u"3", 1234567, u"1234,567"}, {u"0", 1234567, u"1234567"},
        {u"", 1234567, u"1234567"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GroupDigits(c.value, ParseDigitGrouping(c.grouping, u",")), c.expected);
    }
}

TEST(AppendExactNumber, AppendsTheGroupedValueInParentheses) {
    FakeText formatter;
    CHardDiskIndicatorInfo sampler({nullptr, nullptr, &formatter, nullptr});
    std::u16string line = u"1.50 GB ";
    EXPECT_EQ(sampler.AppendExactNumber(line, 1610612736), u"1.50 GB (1,610,612,736)");
    std::u16string zero;
    EXPECT_EQ(sampler.AppendExactNumber(zero, 0), u"(0)");
    std::u16string negative;
    EXPECT_EQ(sampler.AppendExactNumber(negative, INT64_MIN), u"(-9,223,372,036,854,775,808)");
}

struct DriverFixture : ::testing::Test {
    FakeDisks disks;
    FakeText formatter;
    SamplerContext context{nullptr, &disks, &formatter, nullptr};
    DeviceRecord drive = Device(u"\\\\.\\PHYSICALDRIVE0", u"Physical Drive 0", DEVICE_PHYSICAL);

    void Set(const std::u16string& path, uint32_t reads, uint32_t writes, uint32_t queue) {
        DiskPerformance& p = disks.disks[path].performance;
        p.readCount = reads;
        p.writeCount = writes;
        p.queueDepth = queue;
    }
};

TEST_F(DriverFixture, UpdateOrsTheCountDifferencesWithTheQueueDepth) {
    CHardDiskIndicatorInfo sampler(context);
    sampler.m_device = &drive;
    Set(drive.path, 4000, 17, 2);
    ASSERT_TRUE(sampler.Open());
    struct Step {
        uint32_t reads, writes, queue;
        ActivityState expected;
    };
    const Step steps[] = {
        {4000, 17, 2, 2},             // the first sample compares with itself: the queue alone
        {4005, 17, 2, 7},             // 5 OR 2, not a sum
        {4005, 17, 0, 0},
        {4005, 20, 0, 3},
        {0xFFFFFFFE, 20, 0, 0xFFFFFFFE - 4005},
        {3, 20, 0, 5},                // a wrapped count gives the true small difference
    };
    for (const Step& s : steps) {
        Set(drive.path, s.reads, s.writes, s.queue);
        EXPECT_EQ(sampler.Update(), s.expected);
        EXPECT_EQ(sampler.m_state, s.expected);
    }
}

TEST_F(DriverFixture, AFailingDriverIsIdleAndKeepsTheBaseline) {
    CHardDiskIndicatorInfo sampler(context);
    sampler.m_device = &drive;
    Set(drive.path, 10, 10, 0);
    sampler.Open();
    EXPECT_EQ(sampler.Update(), 0u);
    disks.disks[drive.path].fails = true;
    Set(drive.path, 13, 10, 0);
    EXPECT_EQ(sampler.Update(), 0u);
    disks.disks[drive.path].fails = false;
    EXPECT_EQ(sampler.Update(), 3u) << "measured from the last answered sample";

    DeviceRecord missing = Device(u"\\\\.\\PHYSICALDRIVE9", u"Physical Drive 9", DEVICE_PHYSICAL);
    CHardDiskIndicatorInfo unopened(context);
    unopened.m_device = &missing;
    EXPECT_TRUE(unopened.Open()) << "a device that cannot be opened still opens";
    EXPECT_EQ(unopened.Update(), 0u);
    std::u16string text;
    unopened.GetStatisticsText(text);
    EXPECT_EQ(text, u"Physical Drive 9 - \r\n Data Read: 0 B (0) \tData Write: 0 B (0)");
}

TEST_F(DriverFixture, StatisticsTextsKeepTheirSpacesAndTabs) {
    DeviceRecord volume = Device(u"\\\\.\\C:", u"C:\\ - System", DEVICE_LOGICAL);
    DeviceRecord other = Device(u"_Total", u"All-In-One", DEVICE_ALL_IN_ONE);
    drive.description = u"Disk";
    for (auto* record : {&drive, &volume}) {
        disks.disks[record->path].performance.bytesRead = 1610612736;
        disks.disks[record->path].performance.bytesWritten = 524288000;
    }
    struct Case {
        DeviceRecord* device;
        std::u16string expected;
    };
    const Case cases[] = {
        {&drive, u"Physical Drive 0 - Disk\r\n Data Read: 1610612736 B (1,610,612,736) \tData Write: 524288000 B (524,288,000)"},
        {&volume, u"C:\\ - System \r\n Data Read: 1610612736 B (1,610,612,736) \tData Write: 524288000 B (524,288,000)"},
        {&other, u"left alone"},
    };
    for (const Case& c : cases) {
        CHardDiskIndicatorInfo sampler(context);
        sampler.m_device = c.device;
        sampler.Open();
        Set(c.device->path, 1, 1, 0);
        sampler.Update();
        std::u16string text = u"left alone";
        EXPECT_TRUE(sampler.GetStatisticsText(text));
        EXPECT_EQ(text, c.expected);
        Set(c.device->path, 9, 1, 0);
        EXPECT_EQ(sampler.Update(), c.device == &other ? 0u : 8u) << "the text does not move the baseline";
    }
}

TEST_F(DriverFixture, TheCallersBufferIsNeverOverrun) {
    CHardDiskIndicatorInfo sampler(context);
    sampler.m_device = &drive;
    drive.name = std::u16string(3000, u'x');
    sampler.Open();
    std::vector<char16_t> buffer(1024 + 8, u'#');
    buffer[0] = 0;
    ASSERT_TRUE(sampler.WriteStatisticsText(buffer.data(), 1024));
    EXPECT_EQ(buffer[1023], u'\0');
    EXPECT_EQ(std::u16string(buffer.data()), std::u16string(1023, u'x'));
    for (size_t i = 1024; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], u'#');
}

TEST_F(DriverFixture, AllInOneOrsItsDrivesAndListsTheirTexts) {
    std::vector<DeviceRecord> devices = {
        Device(u"\\\\.\\PHYSICALDRIVE0", u"Physical Drive 0", DEVICE_PHYSICAL),
        Device(u"\\\\.\\PHYSICALDRIVE1", u"Physical Drive 1", DEVICE_PHYSICAL),
        Device(u"_Total", u"All-In-One", DEVICE_ALL_IN_ONE),
        Device(u"\\\\.\\C:", u"C:\\ - ", DEVICE_LOGICAL),
    };
    SamplerContext withDevices = context;
    withDevices.devices = &devices;
    CAllInOneIndicatorInfo all(withDevices);
    all.m_device = &devices[2];

    std::u16string text;
    all.GetStatisticsText(text);
    EXPECT_EQ(text, u"All-In-One\r\n") << "before Open: no drives";

    Set(devices[0].path, 0, 0, 0);
    Set(devices[1].path, 0, 0, 0);
    ASSERT_TRUE(all.Open());
    EXPECT_EQ(all.ChildCount(), 2u);
    EXPECT_EQ(disks.openHandles, 2);
    EXPECT_EQ(all.Update(), 0u);
    Set(devices[0].path, 1, 0, 0);
    Set(devices[1].path, 0, 2, 0);
    EXPECT_EQ(all.Update(), 3u) << "1 OR 2";
    Set(devices[0].path, 1, 0, 3);
    EXPECT_EQ(all.Update(), 3u) << "3 OR 0";

    all.GetStatisticsText(text);
    EXPECT_EQ(text, u"All-In-One\r\n"
                    u"Physical Drive 0 - \r\n Data Read: 0 B (0) \tData Write: 0 B (0)\r\n"
                    u"Physical Drive 1 - \r\n Data Read: 0 B (0) \tData Write: 0 B (0)\r\n");
    ASSERT_TRUE(all.Close());
    EXPECT_EQ(all.ChildCount(), 0u);
    EXPECT_EQ(disks.openHandles, 0);
    EXPECT_EQ(all.Update(), 0u);
}

// A counter sampler over real snapshots: the fake query serves what each step sets.
struct CounterFixture : ::testing::Test {
    FakePerfQuery query;
    FakePerfDisk perfDisk;
    FakeText formatter;
    DirectRegistryAccess access{query, perfDisk};
    SamplerContext context{&access, nullptr, &formatter, nullptr};

    void Serve(uint64_t time, const DiskCounters& physical, const DiskCounters& logical = {}) {
        query.block = perfsource::WriteBlock(
            {DiskObject(234, {DiskInstance(u"0 C:", physical), DiskInstance(u"1", physical),
                              DiskInstance(u"_Total", physical)}),
             DiskObject(236, {DiskInstance(u"HarddiskVolume3", {}), DiskInstance(u"C:", logical),
                              DiskInstance(u"_Total", logical)})},
            static_cast<int64_t>(time));
        ASSERT_TRUE(access.Refresh());
    }
};

TEST_F(CounterFixture, OpenChoosesTheInstanceOfEachKind) {
    struct Case {
        DeviceRecord device;
        std::u16string instance;
        uint64_t queue;  // what its Update sees
    };
    const Case cases[] = {
        {Device(u"\\\\.\\PHYSICALDRIVE0", u"", DEVICE_PHYSICAL), u"0", 5},
        {Device(u"\\\\.\\PHYSICALDRIVE1", u"", DEVICE_PHYSICAL), u"1", 5},
        {Device(u"\\\\.\\PHYSICALDRIVE2", u"", DEVICE_PHYSICAL), u"2", 0},
        {Device(u"\\\\.\\C:", u"", DEVICE_LOGICAL), u"C:", 9},
        {Device(u"\\\\.\\HarddiskVolume3", u"", DEVICE_LOGICAL), u"HarddiskVolume3", 0},
        {Device(u"\\\\.\\H", u"", DEVICE_LOGICAL), u"H", 0},
        {Device(u"_Total", u"", DEVICE_ALL_IN_ONE), u"_Total", 5},
    };
    Serve(0, {5}, {9});
    for (const Case& c : cases) {
        DeviceRecord device = c.device;
        CRegistryAccessIndicator sampler(context);
        sampler.m_device = &device;
        ASSERT_TRUE(sampler.Open());
        EXPECT_EQ(sampler.InstanceName(), c.instance);
        EXPECT_EQ(sampler.Update() != 0, c.queue != 0) << "first update against zeros";
    }
}

TEST_F(CounterFixture, UpdateFollowsTheQueueTimes) {
    DeviceRecord device = Device(u"\\\\.\\PHYSICALDRIVE0", u"Physical Drive 0", DEVICE_PHYSICAL);
    CRegistryAccessIndicator sampler(context);
    sampler.m_device = &device;
    sampler.Open();
    struct Step {
        uint64_t queue, readQueue, writeQueue;
        ActivityState expected;
    };
    const Step steps[] = {
        {100, 0, 0, 0x00010000},          // first update: the total moved from zero, both halves 0
        {100, 50, 70, 0},                 // total unchanged: idle whatever the parts did
        {150, 55, 70, 0x00050000},        // read growth 5 in the high half
        {160, 55, 72, 0x00000002},
        {170, 55 + 65536, 72 + 131072, 0x00010000},  // both growths multiples of 65,536
        {180, 55 + 65536 + 7, 72 + 131072 + 0x10007, 0x00070007},  // each growth cut to 16 bits
    };
    for (const Step& s : steps) {
        Serve(0, {s.queue, 0, 0, 0, 0, s.readQueue, s.writeQueue});
        EXPECT_EQ(sampler.Update(), s.expected) << "queue " << s.queue;
    }
}

TEST_F(CounterFixture, StatisticsDescribeTheLastWholeSecond) {
    DeviceRecord device = Device(u"\\\\.\\C:", u"C:\\ - System", DEVICE_LOGICAL);
    CRegistryAccessIndicator sampler(context);
    sampler.m_device = &device;
    sampler.Open();

    std::u16string text;
    ASSERT_TRUE(sampler.GetStatisticsText(text));
    EXPECT_EQ(text, u"C:\\ - System\r\nRead: 0 B (0) \tWrite: 0 B (0)"
                    u"\r\nRate KB/sec: 0 KB      \t\tRate KB/sec: 0 KB"
                    u"\r\nRequests/sec: 0       \t\tRequests/sec: 0"
                    u"\r\nQueue length/sec: 0.000 \t\tQueue length/sec: 0.000")
        << "before any update: divided by 1, all zeros";

    const uint64_t t0 = 50'000'000;
    Serve(t0, {}, {1, 1000, 2000, 10, 20, 0, 0});
    sampler.Update();  // the first interval starts at t0 (measured from time 0)
    Serve(t0 + 5'000'000, {}, {2, 1024 * 1000, 2048 * 1000, 99, 99, 7, 7});
    sampler.Update();  // half a second later: no new interval
    Serve(t0 + 20'000'000, {}, {3, 2048 * 1000, 4096 * 1000, 30, 60, 5'000'000, 10'000'000});
    sampler.Update();  // two seconds after t0: the interval t0..t0+2 s
    ASSERT_TRUE(sampler.GetStatisticsText(text));
    EXPECT_EQ(text, u"C:\\ - System\r\nRead: 2048000 B (2,048,000) \tWrite: 4096000 B (4,096,000)"
                    u"\r\nRate KB/sec: 999 KB      \t\tRate KB/sec: 1999 KB"
                    u"\r\nRequests/sec: 10       \t\tRequests/sec: 20"
                    u"\r\nQueue length/sec: 0.250 \t\tQueue length/sec: 0.500");
}

TEST_F(CounterFixture, TextsOfEachKindAndHugeFiguresStayDefined) {
    DeviceRecord physical = Device(u"\\\\.\\PHYSICALDRIVE0", u"Physical Drive 0", DEVICE_PHYSICAL);
    physical.description = u"Model";
    DeviceRecord all = Device(u"_Total", u"All-In-One", DEVICE_ALL_IN_ONE);
    const std::pair<DeviceRecord*, std::u16string> cases[] = {
        {&physical, u"Physical Drive 0 - Model\r\nRead: "},
        {&all, u"All-In-One\r\nRead: "},
    };
    for (const auto& [device, start] : cases) {
        CRegistryAccessIndicator sampler(context);
        sampler.m_device = device;
        sampler.Open();
        Serve(20'000'000, {1, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF});
        sampler.Update();
        Serve(40'000'000, {2, 0, 0, 0, 0});  // 32-bit request counters that wrapped
        sampler.Update();
        std::u16string text;
        ASSERT_TRUE(sampler.GetStatisticsText(text));
        EXPECT_EQ(text.substr(0, start.size()), start);
        EXPECT_NE(text.find(u"Requests/sec: 4294967295 "), std::u16string::npos) << "saturated, not undefined";
    }
}

}  // namespace
}  // namespace lumora
